#include "encoder/encoder_log_win.h"

#include "encoder/encoder_files_win.h"
#include "protocol/files.h"
#include "support/files_win.h"
#include "support/log.h"
#include "support/path.h"
#include "support/utf8.h"

EncoderLog::EncoderLog(const std::wstring& outputPath) : m_path(EncoderLogPath(outputPath)) {
    m_file = _wfopen(m_path.c_str(), L"ab");
    if (m_file) Output2FILE::Target() = m_file;
    SECURITY_ATTRIBUTES inherit = {};
    inherit.nLength = sizeof(inherit);
    inherit.bInheritHandle = TRUE;
    m_coreOutput.reset(CreateFileW(m_path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   &inherit, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void EncoderLog::Close() {
    if (m_file) {
        Output2FILE::Target() = nullptr;
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_coreOutput.reset();
}

void EncoderLog::CloseAndDelete() {
    Close();
    DeleteFileSoon(m_path);
}

std::string SystemMessage(DWORD error) {
    return "error " + std::to_string(error);
}

void LogRefusal(const std::vector<std::wstring>& words, const std::wstring& error) {
    if (words.empty()) return;
    const std::wstring& last = words.back();
    const std::wstring folder = FolderOfPath(last);
    if (folder.empty() || last.size() == folder.size()) return;
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    EncoderLog log(last);
    TAVRIX_LOG(LevelError) << "refused: " << Utf8FromWide(error);
}

void LogKeptSegments(const std::vector<std::wstring>& segments, const std::wstring& outputPath) {
    std::string names;
    for (const std::wstring& path : segments)
        if (IsExistingFile(path)) names += " " + Utf8FromWide(FileNameOfPath(path));
    if (names.empty()) return;
    TAVRIX_LOG(LevelWarning) << "the segments stay in " << Utf8FromWide(FolderOfPath(outputPath)) << ":" << names;
}
