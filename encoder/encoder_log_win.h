// The adapter's log beside the output ("<output>.encoder.log", appended to):
// the file the log lines go to, the same file as the cores' output, and the
// lines that say why a command line was refused and which segments stay.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/unique_win.h"

// The log file while it lives, and an inheritable handle of it that the
// cores write their warnings into.
class EncoderLog {
public:
    explicit EncoderLog(const std::wstring& outputPath);
    EncoderLog(const EncoderLog&) = delete;
    EncoderLog& operator=(const EncoderLog&) = delete;
    ~EncoderLog() { Close(); }

    HANDLE CoreOutput() const { return m_coreOutput.get(); }
    void Close();
    // A discard leaves nothing: the log goes too.
    void CloseAndDelete();

private:
    std::wstring m_path;
    FILE* m_file = nullptr;
    UniqueFile m_coreOutput;
};

// "error <code>" for a log line.
std::string SystemMessage(DWORD error);

// A refused command line is noted in the log beside the output it names,
// when its last word is a path in an existing folder.
void LogRefusal(const std::vector<std::wstring>& words, const std::wstring& error);

// Names the segments that exist and stay beside `outputPath`, for a later join.
void LogKeptSegments(const std::vector<std::wstring>& segments, const std::wstring& outputPath);
