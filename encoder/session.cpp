#include "encoder/session.h"

#include <cstdio>

#include "protocol/files.h"
#include "support/path.h"
#include "support/utf8.h"

SessionStep SessionControl::OnCommand(EncoderCommand command) {
    const bool discard = command == EncoderCommand::Discard || (m_state == SessionState::Held && command == EncoderCommand::Quit);
    if (discard) {
        if (m_state == SessionState::Discarded) return SessionStep::Nothing;
        m_state = SessionState::Discarded;
        return SessionStep::Discard;
    }
    switch (m_state) {
    case SessionState::Held:
        if (command != EncoderCommand::Go) return SessionStep::Nothing;
        m_state = SessionState::Recording;
        return SessionStep::StartSegment;
    case SessionState::Recording:
        if (command == EncoderCommand::Pause) {
            m_state = SessionState::Paused;
            return SessionStep::EndSegment;
        }
        if (command == EncoderCommand::Quit) {
            m_state = SessionState::Finished;
            return SessionStep::FinishAndJoin;
        }
        return SessionStep::Nothing;
    case SessionState::Paused:
        if (command == EncoderCommand::Resume) {
            m_state = SessionState::Recording;
            return SessionStep::StartSegment;
        }
        if (command == EncoderCommand::Quit) {
            m_state = SessionState::Finished;
            return SessionStep::Join;
        }
        return SessionStep::Nothing;
    case SessionState::Finished:
    case SessionState::Discarded:
        return SessionStep::Nothing;
    }
    return SessionStep::Nothing;
}

SessionStep SessionControl::OnInputClosed() {
    if (Ended()) return SessionStep::Nothing;
    if (m_state == SessionState::Held) {
        m_state = SessionState::Discarded;
        return SessionStep::Discard;
    }
    const bool recording = m_state == SessionState::Recording;
    m_state = SessionState::Finished;
    return recording ? SessionStep::FinishAndKeep : SessionStep::KeepSegments;
}

SessionStep SessionControl::OnCoreLost() {
    if (m_state != SessionState::Recording) return SessionStep::Nothing;
    m_state = SessionState::Finished;
    m_coreFailed = true;
    return SessionStep::KeepSegments;
}

SegmentList::SegmentList(std::wstring outputPath, Exists exists)
    : m_outputPath(std::move(outputPath)), m_exists(std::move(exists)), m_listPath(SegmentListPath(m_outputPath)) {}

const std::wstring& SegmentList::Next() {
    for (;;) {
        std::wstring path = SegmentPath(m_outputPath, ++m_number);
        if (m_exists && m_exists(path)) continue;
        m_paths.push_back(std::move(path));
        return m_paths.back();
    }
}

uint64_t JoinSpaceNeeded(uint64_t segmentBytes) {
    return segmentBytes + segmentBytes / 20 + (32ull << 20);
}

std::string ComposeConcatList(const std::vector<JoinPart>& parts) {
    std::string list = "ffconcat version 1.0\n";
    for (const JoinPart& part : parts) {
        // Inside single quotes everything is literal; a quote itself is closed, escaped and reopened.
        std::string name;
        for (char c : Utf8FromWide(FileNameOfPath(part.path))) {
            if (c == '\'') name += "'\\''";
            else name += c;
        }
        list += "file '" + name + "'\n";
        if (part.endNs > 0) {
            char outpoint[64];
            std::snprintf(outpoint, sizeof(outpoint), "outpoint %lld.%06lld\n",
                          static_cast<long long>(part.endNs / 1000000000),
                          static_cast<long long>((part.endNs % 1000000000) / 1000));
            list += outpoint;
        }
    }
    return list;
}
