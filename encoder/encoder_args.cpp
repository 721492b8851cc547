#include "encoder/encoder_args.h"

#include <algorithm>
#include <cwchar>

CorePlan PlanCore(const EncoderRequest& request, const CaptureDevices& devices, std::vector<std::wstring>& notes) {
    CorePlan plan;
    plan.quality = request.quality;
    if (devices.screenFilter) {
        plan.videoInput = {L"-f", L"dshow", L"-i", std::wstring(L"video=") + kScreenFilterName};
    } else if (devices.area) {
        // The grabber's frame rate is given: without "-fpsprobesize 0" the
        // core would first read 20 frames (2 s) to measure it, and a segment
        // paused sooner would hold nothing.
        const CaptureArea& a = *devices.area;
        plan.videoInput = GrabberInput(a);
        plan.grabArea = a;
        notes.push_back(std::wstring(L"\"") + kScreenFilterName +
                        L"\" is not a registered video input: the screen is grabbed through GDI at " +
                        std::to_wstring(a.x) + L"," + std::to_wstring(a.y) + L" size " + std::to_wstring(a.width) +
                        L"x" + std::to_wstring(a.height) + L", " + std::to_wstring(a.fps) + L" frames a second");
    } else {
        plan.videoInput = {L"-f", L"gdigrab", L"-fpsprobesize", L"0", L"-framerate", L"10", L"-i", L"desktop"};
        notes.push_back(std::wstring(L"\"") + kScreenFilterName +
                        L"\" is not a registered video input and its capture area cannot be read: "
                        L"the whole desktop is grabbed through GDI");
    }
    if (request.speaker) {
        if (devices.speakerFilter) {
            plan.audioInputs.push_back({L"-f", L"dshow", L"-i", std::wstring(L"audio=") + kSpeakerFilterName});
        } else if (devices.speakerCapture) {
            plan.audioInputs.push_back(PipedAudioInput(*devices.speakerCapture));
            notes.push_back(std::wstring(L"\"") + kSpeakerFilterName +
                            L"\" is not a registered audio input: the speakers' sound is captured by the adapter");
        } else {
            notes.push_back(std::wstring(L"\"") + kSpeakerFilterName +
                            L"\" is not a registered audio input and the playback device cannot be captured: "
                            L"recording without the speakers' sound");
        }
    }
    if (!request.microphone.empty()) {
        if (devices.microphoneCapture)
            plan.audioInputs.push_back(PipedAudioInput(*devices.microphoneCapture));
        else if (!devices.audioSessions)
            plan.audioInputs.push_back({L"-f", L"dshow", L"-i", L"audio=" + request.microphone});
        else
            notes.push_back(L"the microphone \"" + request.microphone +
                            L"\" cannot be captured: recording without it");
    }
    return plan;
}

std::vector<std::wstring> GrabberInput(const CaptureArea& a) {
    return {L"-f", L"gdigrab", L"-fpsprobesize", L"0", L"-framerate", std::to_wstring(a.fps),
            L"-offset_x", std::to_wstring(a.x), L"-offset_y", std::to_wstring(a.y),
            L"-video_size", std::to_wstring(a.width) + L"x" + std::to_wstring(a.height), L"-i", L"desktop"};
}

CaptureArea AreaOnScreens(const CaptureArea& area, const std::vector<Rect>& screens) {
    if (screens.empty()) return area;
    const Rect wanted{area.x, area.y, area.x + area.width, area.y + area.height};
    Rect bound{0, 0, 0, 0};
    bool overlaps = false;
    for (const Rect& screen : screens) {
        if (std::max(wanted.left, screen.left) >= std::min(wanted.right, screen.right) ||
            std::max(wanted.top, screen.top) >= std::min(wanted.bottom, screen.bottom))
            continue;
        bound = overlaps ? Rect{std::min(bound.left, screen.left), std::min(bound.top, screen.top),
                                std::max(bound.right, screen.right), std::max(bound.bottom, screen.bottom)}
                         : screen;
        overlaps = true;
    }
    CaptureArea fitted = area;
    if (overlaps) {
        fitted.x = std::max(wanted.left, bound.left);
        fitted.y = std::max(wanted.top, bound.top);
        fitted.width = std::min(wanted.right, bound.right) - fitted.x;
        fitted.height = std::min(wanted.bottom, bound.bottom) - fitted.y;
    } else {
        // Its screen is gone: the same size on the primary screen, as far as it fits.
        bound = screens.front();
        fitted.width = std::min(area.width, bound.right - bound.left);
        fitted.height = std::min(area.height, bound.bottom - bound.top);
        fitted.x = std::clamp(area.x, bound.left, bound.right - fitted.width);
        fitted.y = std::clamp(area.y, bound.top, bound.bottom - fitted.height);
    }
    fitted.width = std::max(fitted.width, 2) & ~1;
    fitted.height = std::max(fitted.height, 2) & ~1;
    return fitted;
}

std::wstring FitPictureFilter(int32_t fromWidth, int32_t fromHeight, int32_t toWidth, int32_t toHeight) {
    if ((fromWidth == toWidth && fromHeight == toHeight) || fromWidth <= 0 || fromHeight <= 0 || toWidth <= 0 ||
        toHeight <= 0)
        return std::wstring();
    // Scaled to fit within the first segment's size, its proportions kept
    // (even sides, as 4:2:0 needs), then centred on black bars to fill it;
    // square pixels, so the join copies one picture format from start to end.
    const std::wstring size = std::to_wstring(toWidth) + L":" + std::to_wstring(toHeight);
    return L"scale=" + size + L":force_original_aspect_ratio=decrease:force_divisible_by=2,pad=" + size +
           L":(ow-iw)/2:(oh-ih)/2,setsar=1";
}

std::vector<std::wstring> PipedAudioInput(const PipedAudio& audio) {
    // Raw samples carry no time stamps: without "-max_ts_probe 0" the core
    // would wait for 50 packets (over a second) looking for one before it
    // opens its next input. A deep queue: the core's input thread must never
    // hold up the pipe while the encoder starts.
    return {L"-f", audio.sampleFormat, L"-ar", std::to_wstring(audio.rate), L"-ac", std::to_wstring(audio.channels),
            L"-max_ts_probe", L"0", L"-thread_queue_size", L"1024", L"-i", audio.pipePath};
}

const char kGateContent[] = ";FFMETADATA1\n";

std::vector<std::wstring> SegmentArguments(const CorePlan& plan, const std::wstring& segmentPath,
                                           const std::wstring& gatePath) {
    // Every line tagged with its level: the adapter reads them, keeps the
    // warnings and errors, and takes the grabber's first picture time from
    // the input's description, an information line.
    std::vector<std::wstring> words = {L"-hide_banner", L"-nostats", L"-loglevel", L"level+info", L"-y"};
    // Inputs are opened in order: the gate holds back the capture inputs. It
    // has no streams, so only the numbering of the inputs after it moves.
    const size_t first = gatePath.empty() ? 0 : 1;
    if (!gatePath.empty()) words.insert(words.end(), {L"-f", L"ffmetadata", L"-i", gatePath});
    words.insert(words.end(), plan.videoInput.begin(), plan.videoInput.end());
    for (const auto& input : plan.audioInputs) words.insert(words.end(), input.begin(), input.end());

    if (plan.audioInputs.size() >= 2) {
        // Every audio input is mixed into one track; the labels keep the
        // mixer's inputs and output explicit whatever the input count.
        std::wstring graph;
        for (size_t i = 0; i < plan.audioInputs.size(); ++i)
            graph += L"[" + std::to_wstring(first + i + 1) + L":a]";
        graph += L"amix=inputs=" + std::to_wstring(plan.audioInputs.size()) + L"[mixed]";
        words.insert(words.end(),
                     {L"-filter_complex", graph, L"-map", std::to_wstring(first) + L":v", L"-map", L"[mixed]"});
    }
    if (!plan.pictureFilter.empty()) words.insert(words.end(), {L"-vf", plan.pictureFilter});
    // Square pixels in every segment, as in the first: the join copies one
    // picture format from start to end.
    if (!plan.pictureAspect.empty()) words.insert(words.end(), {L"-aspect", plan.pictureAspect});
    words.insert(words.end(), {L"-pix_fmt", L"yuv420p", L"-c:v", L"libx264", L"-r", L"10"});
    if (plan.quality == VideoQuality::Normal)
        words.insert(words.end(), {L"-crf", L"28", L"-maxrate", L"350k", L"-bufsize", L"700k", L"-profile:v", L"main",
                                   L"-preset", L"veryfast"});
    else
        words.insert(words.end(), {L"-profile:v", L"high", L"-preset", L"faster"});
    if (!plan.audioInputs.empty()) {
        // No reordered frames where there is sound: the join cuts a segment
        // where its picture or its sound ends, by decoding time, and with
        // B-frames the picture would run up to two frames past its sound at
        // every pause. Without sound nothing is cut and B-frames save space.
        // Nor frames held back by the encoder: the core reads its sound only
        // as far as its encoded picture reaches, so a picture held back for
        // over a second (look-ahead and frame threads) leaves that much
        // sound unread when the segment ends, and the join cuts it away.
        words.insert(words.end(), {L"-bf", L"0", L"-tune", L"zerolatency", L"-b:a", L"64k", L"-strict", L"-2",
                                   L"-c:a", L"aac"});
    }
    // Every packet goes to disk at once and clusters close each second, so a
    // crash loses at most about a second of the segment.
    words.insert(words.end(), {L"-flush_packets", L"1", L"-cluster_time_limit", L"1000", L"-f", L"matroska", segmentPath});
    return words;
}

std::vector<std::wstring> JoinArguments(const std::wstring& listPath, const std::wstring& outputPath) {
    // The list names its files relative to itself, and the core finds the
    // list's folder by the last forward slash only.
    std::wstring list = listPath;
    for (wchar_t& c : list)
        if (c == L'\\') c = L'/';
    // Errors only: sound time stamps rounded to the file's sound frames give
    // one warning per packet after every join, megabytes for a long lesson.
    return {L"-hide_banner", L"-nostats", L"-loglevel", L"error", L"-y", L"-f", L"concat", L"-safe", L"0",
            L"-i", list, L"-map", L"0", L"-c", L"copy", outputPath};
}

std::vector<std::wstring> PadSoundArguments(const std::wstring& segmentPath, const std::wstring& paddedPath,
                                            int64_t durationNs) {
    wchar_t seconds[32];
    std::swprintf(seconds, 32, L"%lld.%03lld", static_cast<long long>(durationNs / 1000000000),
                  static_cast<long long>(durationNs % 1000000000 / 1000000));
    return {L"-hide_banner", L"-nostats", L"-loglevel", L"warning", L"-y", L"-i", segmentPath, L"-map", L"0",
            L"-c:v", L"copy", L"-af", L"apad", L"-c:a", L"aac", L"-b:a", L"64k", L"-strict", L"-2",
            L"-t", seconds, L"-f", L"matroska", paddedPath};
}

std::wstring QuoteArgument(const std::wstring& word) {
    if (!word.empty() && word.find_first_of(L" \t\n\v\"") == std::wstring::npos) return word;
    // Backslashes are literal except before a quote: there each one is
    // doubled, and the quote itself is escaped.
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            quoted.append(backslashes * 2 + 1, L'\\');
        } else {
            quoted.append(backslashes, L'\\');
        }
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}

std::wstring ComposeCommandLine(const std::wstring& program, const std::vector<std::wstring>& words) {
    std::wstring line = QuoteArgument(program);
    for (const std::wstring& word : words) {
        line += L' ';
        line += QuoteArgument(word);
    }
    return line;
}
