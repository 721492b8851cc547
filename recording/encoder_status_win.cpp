#include "recording/encoder_status_win.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>
#include <string>

#include "recording/encoder_process_win.h"
#include "support/log.h"

namespace {

// Lines waiting for the windows: a window that is busy (a message box, the
// Save dialog) gets the newest, never an ever longer queue.
constexpr size_t kMostWaiting = 512;

SoundWatch g_sound;
std::atomic<SoundNewsCallback> g_soundNews{nullptr};

}  // namespace

struct EncoderStatusReader::Shared {
    UniqueHandle pipe;
    std::function<void()> ready;
    std::mutex mutex;
    std::deque<StatusLine> lines;
    bool told = false;
};

namespace {

void Queue(EncoderStatusReader::Shared& shared, std::vector<StatusLine>&& lines) {
    bool tell = false;
    {
        std::lock_guard<std::mutex> lock(shared.mutex);
        for (StatusLine& line : lines) {
            if (line.event == StatusEvent::Level && !shared.lines.empty()) {
                StatusLine& last = shared.lines.back();
                if (last.event == StatusEvent::Level && last.source == line.source) {
                    last.peakDb = std::max(last.peakDb, line.peakDb);
                    last.rmsDb = std::max(last.rmsDb, line.rmsDb);
                    continue;
                }
            }
            shared.lines.push_back(std::move(line));
            if (shared.lines.size() > kMostWaiting) shared.lines.pop_front();
        }
        tell = !shared.told && !shared.lines.empty();
        if (tell) shared.told = true;
    }
    if (tell && shared.ready) shared.ready();
}

DWORD WINAPI ReadStatus(void* parameter) {
    // The thread owns a reference: the reader may be destroyed meanwhile.
    std::shared_ptr<EncoderStatusReader::Shared> shared(
        std::move(*static_cast<std::shared_ptr<EncoderStatusReader::Shared>*>(parameter)));
    delete static_cast<std::shared_ptr<EncoderStatusReader::Shared>*>(parameter);
    StatusReader reader;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(shared->pipe.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        const size_t unreadable = reader.UnreadableLines();
        Queue(*shared, reader.Feed(buffer, read));
        if (unreadable == 0 && reader.UnreadableLines() > 0) {
            TAVRIX_LOG(LevelDebug) << "the encoder said a line its status channel does not know, ignored: \""
                                   << reader.FirstUnreadable() << "\"";
        }
    }
    reader.End();
    if (reader.UnreadableLines() > 0) {
        TAVRIX_LOG(LevelDebug) << "the encoder's status channel closed; " << reader.UnreadableLines()
                               << " of its lines could not be read";
    }
    return 0;
}

}  // namespace

EncoderStatusReader::~EncoderStatusReader() {
    if (!m_thread) return;
    // Normally the encoder has ended and the read has returned; an encoder
    // given up while it runs still holds its end, so the read is cancelled.
    if (WaitForSingleObject(m_thread.get(), 0) == WAIT_TIMEOUT) CancelSynchronousIo(m_thread.get());
    WaitForSingleObject(m_thread.get(), 1000);
}

bool EncoderStatusReader::Start(UniqueHandle pipe, std::function<void()> ready) {
    m_shared = std::make_shared<Shared>();
    m_shared->pipe = std::move(pipe);
    m_shared->ready = std::move(ready);
    auto* handed = new std::shared_ptr<Shared>(m_shared);
    m_thread.reset(CreateThread(nullptr, 0, ReadStatus, handed, 0, nullptr));
    if (!m_thread) {
        delete handed;
        return false;
    }
    return true;
}

std::vector<StatusLine> EncoderStatusReader::Take() {
    std::vector<StatusLine> lines;
    if (!m_shared) return lines;
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    lines.assign(m_shared->lines.begin(), m_shared->lines.end());
    m_shared->lines.clear();
    m_shared->told = false;
    return lines;
}

SoundWatch& RecordingSound() { return g_sound; }

void BeginRecordingSound(bool speakers, bool microphone, bool recording) {
    g_sound.Begin(speakers, microphone);
    if (recording) g_sound.SetRecording(true, SoundClockMs());
}

void SetSoundNews(SoundNewsCallback news) { g_soundNews = news; }

void TakeRecordingSound() {
    const int64_t now = SoundClockMs();
    for (const StatusLine& line : EncoderProcess::TakeStatusLines()) g_sound.Feed(line, now);
    g_sound.Tick(now);
    for (const SoundNotice& notice : g_sound.TakeNotices()) {
        if (notice.problem != SoundProblem::None) {
            TAVRIX_LOG(LevelWarning) << SoundNoticeText(notice);
        } else {
            TAVRIX_LOG(LevelInfo) << SoundNoticeText(notice);
        }
    }
}

void TellSoundNews() {
    const SoundNewsCallback news = g_soundNews;
    if (news != nullptr) news();
}

int64_t SoundClockMs() { return static_cast<int64_t>(GetTickCount64()); }
