// Text conversion in the users' code page (936), bounded formatting with the
// StringCchPrintfW contract, and the program's folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/text_win.h"

namespace {

const HRESULT kInsufficient = static_cast<HRESULT>(0x8007007A);

TEST(TextConversion, ChineseCodePageRoundTrip) {
    ASSERT_EQ(GetACP(), 936u) << "tests run with LANG=zh_CN.UTF-8";
    const std::string gbk = "\xC0\xCF\xCA\xA6\\temp.avi";  // 老师\temp.avi in code page 936
    const std::wstring wide = WidenText(gbk, CP_ACP);
    EXPECT_EQ(wide, L"老师\\temp.avi");
    EXPECT_EQ(NarrowText(wide, CP_ACP), gbk);
}

TEST(TextConversion, EmptyTextAndEmbeddedZeros) {
    EXPECT_EQ(WidenText(std::string(), CP_ACP), L"");
    EXPECT_EQ(NarrowText(std::wstring(), CP_ACP), "");
    const std::string withZero("a\0b", 3);
    const std::wstring wideZero(L"a\0b", 3);
    EXPECT_EQ(WidenText(withZero, CP_ACP), wideZero);
    EXPECT_EQ(NarrowText(wideZero, CP_ACP), withZero);
    // A character the code page lacks becomes the platform's default character.
    EXPECT_EQ(NarrowText(L"\u0915\u0916", 936), "??");
}

TEST(FormatIntoBuffer, ContractAtTheEdges) {
    wchar_t buffer[8];
    wmemset(buffer, L'#', 8);

    // Capacity 0 or beyond INT_MAX: E_INVALIDARG, buffer untouched.
    EXPECT_EQ(FormatIntoBuffer(buffer, 0, L"%s", L"x"), E_INVALIDARG);
    EXPECT_EQ(FormatIntoBuffer(buffer, static_cast<size_t>(2147483647u) + 1, L"%s", L"x"), E_INVALIDARG);
    EXPECT_EQ(buffer[0], L'#');

    // Capacity 1: only the terminator; S_OK only for an empty text.
    EXPECT_EQ(FormatIntoBuffer(buffer, 1, L"%s", L"x"), kInsufficient);
    EXPECT_EQ(buffer[0], L'\0');
    wmemset(buffer, L'#', 8);
    EXPECT_EQ(FormatIntoBuffer(buffer, 1, L"%s", L""), S_OK);
    EXPECT_EQ(buffer[0], L'\0');

    // An exact fit (capacity - 1 characters): whole and terminated.
    wmemset(buffer, L'#', 8);
    EXPECT_EQ(FormatIntoBuffer(buffer, 8, L"%s %d", L"abcd", 42), S_OK);
    EXPECT_STREQ(buffer, L"abcd 42");

    // One character too long: cut to capacity - 1 and terminated.
    wmemset(buffer, L'#', 8);
    EXPECT_EQ(FormatIntoBuffer(buffer, 8, L"%s", L"abcdefgh"), kInsufficient);
    EXPECT_STREQ(buffer, L"abcdefg");

    // Shorter text: the formatter's own terminator, the rest untouched.
    wmemset(buffer, L'#', 8);
    EXPECT_EQ(FormatIntoBuffer(buffer, 8, L"%s", L"ab"), S_OK);
    EXPECT_STREQ(buffer, L"ab");
    EXPECT_EQ(buffer[3], L'#');
}

TEST(FormatIntoBuffer, TheMoveErrorPattern) {
    wchar_t buffer[128];
    EXPECT_EQ(FormatIntoBuffer(buffer, 128, L"%s failed with error %d: %s", L"MoveFileEx", 5, L"拒绝访问。\r\n"),
              S_OK);
    EXPECT_STREQ(buffer, L"MoveFileEx failed with error 5: 拒绝访问。\r\n");
}

TEST(ProgramFolder, FolderOfTheRunningProgram) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring folder = ProgramFolder(nullptr);
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'\\');
    EXPECT_EQ(std::wstring(path).rfind(folder, 0), 0u);
    EXPECT_EQ(std::wstring(path).substr(folder.size()), L"tavrix_support_win_tests.exe");
    EXPECT_EQ(ProgramFolder(GetModuleHandleW(nullptr)), folder);
}

}  // namespace
