#include "protocol/files.h"

#include <algorithm>
#include <cstdio>
#include <type_traits>
#include <utility>

namespace {

constexpr bool SameText(const char* narrow, const wchar_t* wide) {
    for (; *narrow != 0 || *wide != 0; ++narrow, ++wide)
        if (static_cast<wchar_t>(*narrow) != *wide) return false;
    return true;
}
static_assert(SameText(kRecordingFileName, kRecordingFileNameWide), "the recording's name, both ways");

constexpr wchar_t kSegmentStart[] = L".part";
constexpr wchar_t kSegmentEnd[] = L".mkv";
constexpr size_t kFewestDigits = 3;  // SegmentPath writes at least three
constexpr size_t kMostDigits = 9;    // a number that fits any unsigned long

// Each character as its code unit, ASCII letters in lower case: enough to
// compare names whose fixed parts are ASCII, in UTF-16 or in 8-bit text.
template <class Char>
std::wstring FoldedAscii(const std::basic_string<Char>& text) {
    std::wstring folded;
    folded.reserve(text.size());
    for (Char c : text) {
        const auto unit = static_cast<std::make_unsigned_t<Char>>(c);
        folded += unit >= 'A' && unit <= 'Z' ? static_cast<wchar_t>(unit - 'A' + 'a') : static_cast<wchar_t>(unit);
    }
    return folded;
}

std::optional<unsigned long> FoldedSegmentNumber(const std::wstring& output, const std::wstring& name) {
    const std::wstring start = output + kSegmentStart;
    const std::wstring end = kSegmentEnd;
    if (name.size() < start.size() + kFewestDigits + end.size()) return std::nullopt;
    if (name.compare(0, start.size(), start) != 0 || name.compare(name.size() - end.size(), end.size(), end) != 0)
        return std::nullopt;
    const std::wstring digits = name.substr(start.size(), name.size() - start.size() - end.size());
    if (digits.size() > kMostDigits || digits.find_first_not_of(L"0123456789") != std::wstring::npos)
        return std::nullopt;
    return std::stoul(digits);
}

template <class Char>
std::vector<std::basic_string<Char>> InOrder(const std::basic_string<Char>& output,
                                             const std::vector<std::basic_string<Char>>& names) {
    std::vector<std::pair<unsigned long, std::basic_string<Char>>> found;
    for (const auto& name : names)
        if (const std::optional<unsigned long> number = SegmentNumber(output, name)) found.emplace_back(*number, name);
    std::sort(found.begin(), found.end());
    std::vector<std::basic_string<Char>> ordered;
    for (auto& entry : found) ordered.push_back(std::move(entry.second));
    return ordered;
}

}  // namespace

std::wstring SegmentPath(const std::wstring& outputPath, int number) {
    wchar_t digits[16];
    std::swprintf(digits, sizeof(digits) / sizeof(digits[0]), L"%03d", number);
    return outputPath + kSegmentStart + digits + kSegmentEnd;
}

std::wstring SegmentPattern(const std::wstring& outputPath) {
    return outputPath + kSegmentStart + L"*" + kSegmentEnd;
}

std::wstring SegmentListPath(const std::wstring& outputPath) { return outputPath + L".parts.txt"; }

std::wstring JoiningPath(const std::wstring& outputPath) { return outputPath + L".joining.avi"; }

std::wstring PaddedPath(const std::wstring& outputPath, size_t number) {
    return outputPath + L".padded" + std::to_wstring(number) + L".mkv";
}

std::wstring EncoderLogPath(const std::wstring& outputPath) { return outputPath + L".encoder.log"; }

std::optional<unsigned long> SegmentNumber(const std::wstring& outputFileName, const std::wstring& name) {
    return FoldedSegmentNumber(FoldedAscii(outputFileName), FoldedAscii(name));
}

std::optional<unsigned long> SegmentNumber(const std::string& outputFileName, const std::string& name) {
    return FoldedSegmentNumber(FoldedAscii(outputFileName), FoldedAscii(name));
}

std::vector<std::wstring> SegmentNamesInOrder(const std::wstring& outputFileName,
                                              const std::vector<std::wstring>& names) {
    return InOrder(outputFileName, names);
}

std::vector<std::string> SegmentNamesInOrder(const std::string& outputFileName, const std::vector<std::string>& names) {
    return InOrder(outputFileName, names);
}
