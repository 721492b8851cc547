#include "encoder/encoder_run_win.h"

#include <optional>

#include "encoder/audio_capture_win.h"
#include "encoder/capture_devices_win.h"
#include "encoder/core_process_win.h"
#include "encoder/encoder_log_win.h"
#include "encoder/input_commands_win.h"
#include "encoder/join_win.h"
#include "encoder/recording_win.h"
#include "encoder/run_plan.h"
#include "protocol/exit_codes.h"
#include "protocol/files.h"
#include "support/files_win.h"
#include "support/log.h"
#include "support/path.h"
#include "support/utf8.h"

namespace {

bool CoreIsThere(const std::wstring& corePath) {
    if (IsExistingFile(corePath)) return true;
    const std::wstring message = L"ffmpeg.exe: the encoder core " + corePath +
                                 L" is missing; install Tavrix again to put it back\n";
    ReportToConsole(message);
    TAVRIX_LOG(LevelError) << Utf8FromWide(message.substr(0, message.size() - 1));
    return false;
}

// What a run works with once its devices are found.
struct Run {
    const EncoderRequest& request;
    const std::wstring& corePath;
    EncoderLog& log;
    InputCommands& commands;
    Recording& recording;
    SessionControl control;
};

// Held, the first core only loads and waits at its gate: "g" then starts
// the lesson as fast as a resume does. False when it could not start.
bool StartFirstSegment(Run& run, bool held) {
    if (!(held ? run.recording.PrepareSegment() : run.recording.StartSegment())) return false;
    if (held && run.recording.AwaitWaitingCore(run.commands.Event())) {
        TAVRIX_LOG(LevelInfo) << "ready: the first segment waits for \"g\"";
    }
    return true;
}

// Applies what came on standard input; returns the step the last command
// (or the input's end) led to, else `step`.
SessionStep ApplyCommands(Run& run, SessionStep step) {
    bool closed = false;
    for (EncoderCommand command : run.commands.Take(closed)) {
        step = run.control.OnCommand(command);
        TAVRIX_LOG(LevelDebug) << CommandName(command) << (step == SessionStep::Nothing ? " ignored" : "");
        if (step == SessionStep::EndSegment) run.recording.EndSegment(true);
        if (step == SessionStep::StartSegment && !run.recording.StartSegment()) step = run.control.OnCoreLost();
        if (run.control.Ended()) break;
    }
    if (closed && !run.control.Ended()) {
        step = run.control.OnInputClosed();
        TAVRIX_LOG(LevelInfo) << (step == SessionStep::Discard ? "standard input closed before anything was recorded"
                                                               : "standard input closed: the segments are kept for a later join");
    }
    return step;
}

// Pauses, resumes and segments until the session ends; its last step.
SessionStep RunSession(Run& run) {
    SessionStep step = SessionStep::Nothing;
    while (!run.control.Ended()) {
        // While paused the waiting core is not watched: it only waits.
        const bool watchCore = run.control.State() == SessionState::Recording && run.recording.Core().Running();
        HANDLE waits[2] = {run.commands.Event(), run.recording.Core().Handle()};
        const DWORD woken = WaitForMultipleObjects(watchCore ? 2 : 1, waits, FALSE, INFINITE);
        if (woken == WAIT_OBJECT_0 + 1 && !run.commands.DiscardRequested()) {
            TAVRIX_LOG(LevelError) << "the core stopped while recording, exit code " << run.recording.Core().Reap();
            step = run.control.OnCoreLost();
            continue;
        }
        step = ApplyCommands(run, step);
    }
    // A discard ended the cores under a pause or resume: whatever that step concluded, it is a discard.
    if (run.commands.DiscardRequested() && run.control.State() != SessionState::Discarded)
        step = run.control.OnCommand(EncoderCommand::Discard);
    return step;
}

// Joins the recording's segments; a discard that comes meanwhile stops it.
JoinResult JoinRecording(Run& run) {
    JoinRequest join;
    join.corePath = run.corePath;
    join.segments = run.recording.Segments();
    join.listPath = run.recording.ListPath();
    join.outputPath = run.request.outputPath;
    join.coreOutput = run.log.CoreOutput();
    join.job = run.recording.Job();
    join.wake = run.commands.Event();
    join.stop = [&run] {
        if (run.commands.DiscardRequested()) return true;
        bool closed = false;
        for (EncoderCommand command : run.commands.Take(closed))
            if (run.control.OnCommand(command) == SessionStep::Discard) return true;
        return false;
    };
    return JoinSegments(join);
}

// The session has ended with `last`: the last segment, the join and what stays.
int EndRun(Run& run, SessionStep last) {
    const RunEndPlan plan = PlanRunEnd(last);
    if (plan.finish != RunFinish::Discard) {
        if (plan.finishSegment) run.recording.EndSegment(false);
        else run.recording.DiscardWaitingCore();
    }
    const JoinResult joined = plan.finish == RunFinish::Join ? JoinRecording(run) : JoinResult::Stopped;
    const RunOutcome outcome = RunOutcomeOf(last, joined, run.control.CoreFailed());
    if (outcome.leaves == RunLeaves::Nothing) {
        run.recording.DiscardAll();
        TAVRIX_LOG(LevelInfo) << "discarded: segments, list and log deleted, exit code " << outcome.exitCode;
        run.log.CloseAndDelete();
        return outcome.exitCode;
    }
    if (outcome.leaves == RunLeaves::Segments) LogKeptSegments(run.recording.Segments(), run.request.outputPath);
    TAVRIX_LOG(LevelInfo) << "done, exit code " << outcome.exitCode;
    return outcome.exitCode;
}

// From the devices to the exit code, for a request the adapter accepted.
int Record(const EncoderRequest& request, const std::wstring& corePath, HANDLE input, bool held) {
    EncoderLog log(request.outputPath);
    if (!CoreIsThere(corePath)) return kExitNoCore;
    TAVRIX_LOG(LevelInfo) << "recording into " << Utf8FromWide(request.outputPath) << " with "
                          << Utf8FromWide(corePath) << (held ? ", held until \"g\"" : "");
    UniqueHandle job = CreateKillOnCloseJob();
    if (!job) {
        TAVRIX_LOG(LevelWarning) << "no job object (" << SystemMessage(GetLastError())
                                 << "): a core may outlive the adapter if it is killed";
    }
    // Read from now on: a discard that comes while the devices are looked up
    // and the first core starts is seen, and no core is started after it.
    InputCommands commands(input, job.get());
    CaptureDevices devices = FindCaptureDevices();
    std::vector<std::wstring> notes;
    AudioCapture audio;  // before the recording, so it outlives every core that reads it
    audio.Open(request, devices, notes);
    const CorePlan plan = PlanCore(request, devices, notes);
    for (const std::wstring& note : notes) TAVRIX_LOG(LevelInfo) << Utf8FromWide(note);

    Recording recording(request, plan, corePath, log.CoreOutput(), std::move(job));
    recording.FeedAudio(&audio, 10000000 / (devices.area ? devices.area->fps : 10), !devices.screenFilter);
    Run run{request, corePath, log, commands, recording, SessionControl(held)};
    if (!commands.DiscardRequested() && !StartFirstSegment(run, held)) {
        TAVRIX_LOG(LevelError) << "the first segment could not be started";
        return kExitNoCore;
    }
    return EndRun(run, RunSession(run));
}

}  // namespace

int RunEncoder(const std::vector<std::wstring>& words, const std::wstring& corePath, HANDLE input) {
    if (const std::optional<std::wstring> output = JoinSegmentsOutput(words)) return RunJoinSegments(*output, corePath);
    const ParsedArguments parsed = ParseEncoderArguments(words);
    if (!parsed.request) {
        ReportToConsole(L"ffmpeg.exe: this command line is not one Tavrix builds: " + parsed.error + L"\n");
        LogRefusal(words, L"this command line is not one Tavrix builds: " + parsed.error);
        return kExitBadArguments;
    }
    const bool held = TakeHoldLine(input);
    return Record(*parsed.request, corePath, input, held);
}

int RunJoinSegments(const std::wstring& outputPath, const std::wstring& corePath) {
    EncoderLog log(outputPath);
    TAVRIX_LOG(LevelInfo) << "joining the segments left beside " << Utf8FromWide(outputPath);
    if (!CoreIsThere(corePath)) return kExitNoCore;

    const std::wstring folder = FolderOfPath(outputPath);
    std::vector<std::wstring> names;
    for (const FoundFile& found : FilesMatching(SegmentPattern(outputPath)))
        if (!found.folder) names.push_back(found.name);
    JoinRequest join;
    for (const std::wstring& name : SegmentNamesInOrder(FileNameOfPath(outputPath), names))
        join.segments.push_back(folder + name);
    if (join.segments.empty()) {
        TAVRIX_LOG(LevelError) << "no segments found: nothing to join";
        return kExitJoinFailed;
    }
    UniqueHandle job = CreateKillOnCloseJob();
    join.corePath = corePath;
    join.listPath = SegmentListPath(outputPath);
    join.outputPath = outputPath;
    join.coreOutput = log.CoreOutput();
    join.job = job.get();
    const JoinResult result = JoinSegments(join);
    if (result != JoinResult::Joined) LogKeptSegments(join.segments, outputPath);
    const int code = ExitCodeOf(result);
    TAVRIX_LOG(LevelInfo) << "done, exit code " << code;
    return code;
}

void ReportToConsole(const std::wstring& message) {
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(error, &mode)) {
        WriteConsoleW(error, message.data(), static_cast<DWORD>(message.size()), &written, nullptr);
        return;
    }
    const std::string bytes = Utf8FromWide(message);
    WriteFile(error, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
