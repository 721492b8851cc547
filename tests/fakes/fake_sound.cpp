#include "tests/fakes/fake_sound.h"

#include <windows.h>

#include <cwchar>
#include <optional>
#include <mutex>
#include <string>

#include "protocol/environment.h"
#include "protocol/status.h"
#include "support/utf8.h"

namespace {

constexpr DWORD kLevelIntervalMs = 100;

struct FakeSource {
    SoundSource source;
    bool chosen = false;
    bool opened = false;
    bool lost = false;
    bool fails = false;
    double peakDb = -20;
};

FakeSource g_sources[2] = {{SoundSource::Speakers}, {SoundSource::Microphone}};
std::mutex g_outputLock;

std::wstring Env(const wchar_t* name) {
    wchar_t buffer[1024] = {};
    const DWORD n = GetEnvironmentVariableW(name, buffer, 1024);
    return n == 0 || n >= 1024 ? std::wstring() : std::wstring(buffer, n);
}

void Write(const std::string& text) {
    std::lock_guard<std::mutex> lock(g_outputLock);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// "microphone=fail,speakers=-35": how each source behaves.
void ReadBehaviour(const std::wstring& text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L',', start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring item = text.substr(start, end - start);
        start = end + 1;
        const size_t equals = item.find(L'=');
        if (equals == std::wstring::npos) continue;
        const std::string name = Utf8FromWide(item.substr(0, equals));
        const std::wstring how = item.substr(equals + 1);
        for (FakeSource& s : g_sources) {
            if (name != SoundSourceName(s.source)) continue;
            if (how == L"fail") s.fails = true;
            else s.peakDb = how == L"silent" ? kSilenceDb : std::wcstod(how.c_str(), nullptr);
        }
    }
}

// The lines a test appends to the file, passed on as they come; a loss or a
// return among them also changes the levels that follow.
void Relay(const std::wstring& path, size_t& offset, std::string& pending) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    LARGE_INTEGER at = {};
    at.QuadPart = static_cast<LONGLONG>(offset);
    char buffer[4096];
    DWORD read = 0;
    if (SetFilePointerEx(file, at, nullptr, FILE_BEGIN))
        while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
            pending.append(buffer, read);
            offset += read;
        }
    CloseHandle(file);
    size_t newline;
    while ((newline = pending.find('\n')) != std::string::npos) {
        const std::string line = pending.substr(0, newline + 1);
        pending.erase(0, newline + 1);
        Write(line);
        const std::optional<StatusLine> parsed = ParseStatusLine(line.substr(0, line.size() - 1));
        if (!parsed || parsed->event == StatusEvent::Ready) continue;
        for (FakeSource& s : g_sources) {
            if (s.source != parsed->source) continue;
            if (parsed->event == StatusEvent::Lost) s.lost = true;
            if (parsed->event == StatusEvent::Back) s.lost = false;
        }
    }
}

DWORD WINAPI SpeakLevels(void*) {
    const std::wstring relayed = Env(kFakeEncoderStatusFromVariable);
    size_t offset = 0;
    std::string pending;
    for (;;) {
        Sleep(kLevelIntervalMs);
        std::string levels;  // every source's level in one write, as the encoder sends them
        for (const FakeSource& s : g_sources) {
            if (!s.opened) continue;
            const double peak = s.lost ? kSilenceDb : s.peakDb;
            levels += ComposeStatusLine(LevelLine(s.source, peak, peak <= kSilenceDb ? kSilenceDb : peak - 6));
        }
        if (!levels.empty()) Write(levels);
        if (!relayed.empty()) Relay(relayed, offset, pending);
    }
}

}  // namespace

void StartFakeSound(const EncoderRequest& request) {
    if (Env(kFakeEncoderMuteVariable) == L"1") return;
    g_sources[0].chosen = request.speaker;
    g_sources[1].chosen = !request.microphone.empty();
    ReadBehaviour(Env(kFakeEncoderSoundVariable));
    for (FakeSource& s : g_sources) {
        if (!s.chosen) continue;
        s.opened = !s.fails;
        Write(ComposeStatusLine(s.opened ? SourceEvent(StatusEvent::Opened, s.source)
                                         : SourceEvent(StatusEvent::Failed, s.source, "the test encoder was told to fail it")));
    }
    if (g_sources[0].chosen || g_sources[1].chosen) Write(ComposeStatusLine(ReadyLine()));
    HANDLE thread = CreateThread(nullptr, 0, SpeakLevels, nullptr, 0, nullptr);
    if (thread != nullptr) CloseHandle(thread);
}
