// The one child-process starter against real processes under Wine: the
// first input is the first thing the child reads, its output comes back, it
// inherits only the handles asked for, a failed start leaves nothing; and the
// one file search.
#include "support/child_process_win.h"
#include "support/files_win.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

constexpr wchar_t kEchoVariable[] = L"TAVRIX_TEST_ECHO_CHILD";

// Started as a child of these tests (the variable names the value of an
// event of the parent's): sets that event, which only works if the handle was
// inherited, copies its input to its output and exits with the number of
// bytes it copied.
const bool kRanAsChild = [] {
    wchar_t value[32] = {};
    if (GetEnvironmentVariableW(kEchoVariable, value, 32) == 0) return false;
    SetEvent(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::wcstoull(value, nullptr, 10))));
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE), out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0, copied = 0, got = 0;
    char buffer[256];
    while (ReadFile(in, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
        WriteFile(out, buffer, got, &written, nullptr);
        copied += got;
    }
    ExitProcess(copied);
}();

std::wstring ThisProgram() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::string ReadAll(HANDLE pipe) {
    std::string text;
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof(buffer), &got, nullptr) && got > 0) text.append(buffer, got);
    return text;
}

TEST(ChildProcess, FirstInputComesFirstOutputComesBackAndOnlyTheGivenHandlesReachTheChild) {
    EXPECT_FALSE(kRanAsChild);
    // An inheritable handle of the parent that the child is not given.
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    const UniqueHandle bystander(CreateEventW(&inherit, TRUE, FALSE, nullptr));
    ASSERT_TRUE(bystander);
    UniqueHandle outputRead, outputWrite;
    ASSERT_TRUE(CreatePipe(outputRead.put(), outputWrite.put(), nullptr, 0));
    const std::wstring value = std::to_wstring(reinterpret_cast<uintptr_t>(bystander.get()));
    SetEnvironmentVariableW(kEchoVariable, value.c_str());

    ChildStart start;
    start.program = ThisProgram();
    start.commandLine = L"child";
    start.inputPipe = true;
    start.firstInput = "h\n";
    start.output = outputWrite.get();
    Child child;
    DWORD error = 0;
    const bool started = StartChild(start, child, error);
    SetEnvironmentVariableW(kEchoVariable, nullptr);
    ASSERT_TRUE(started) << "error " << error;
    outputWrite.reset();  // the child holds its own copy: the pipe ends with it
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(child.input.get(), "q\n", 2, &written, nullptr));
    child.input.reset();

    EXPECT_EQ(ReadAll(outputRead.get()), "h\nq\n");
    ASSERT_EQ(WaitForSingleObject(child.process.process.get(), 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(child.process.process.get(), &code);
    EXPECT_EQ(code, 4u);
    EXPECT_EQ(WaitForSingleObject(bystander.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the child could set an event it was not given";
}

TEST(ChildProcess, AFailedStartSaysWhyAndLeavesNothingOpen) {
    ChildStart start;
    start.program = L"C:\\no\\such\\program.exe";
    start.commandLine = L"program";
    start.inputPipe = true;
    start.firstInput = "h\n";
    Child child;
    DWORD error = 0;
    EXPECT_FALSE(StartChild(start, child, error));
    EXPECT_NE(error, 0u);
    EXPECT_FALSE(child.process.process);
    EXPECT_FALSE(child.input);
}

TEST(ChildProcess, AChildGivenAJobRunsInIt) {
    const UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
    ASSERT_TRUE(job);
    SetEnvironmentVariableW(kEchoVariable, L"0");
    ChildStart start;
    start.program = ThisProgram();
    start.commandLine = L"child";
    start.inputPipe = true;
    start.job = job.get();
    Child child;
    DWORD error = 0;
    const bool started = StartChild(start, child, error);
    SetEnvironmentVariableW(kEchoVariable, nullptr);
    ASSERT_TRUE(started) << "error " << error;
    EXPECT_TRUE(child.inJob);
    BOOL inJob = FALSE;
    EXPECT_TRUE(IsProcessInJob(child.process.process.get(), job.get(), &inJob));
    EXPECT_TRUE(inJob);
    child.input.reset();  // its input ends: it exits
    EXPECT_EQ(WaitForSingleObject(child.process.process.get(), 10000), WAIT_OBJECT_0);
}

TEST(FilesWin, MatchingListsFilesAndFoldersWithTheirSizesButNotTheDots) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"tavrix-files-test";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\inner").c_str(), nullptr);
    const std::wstring file = folder + L"\\temp.avi.part001.mkv";
    {
        const UniqueFile made(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(made);
        DWORD written = 0;
        WriteFile(made.get(), "12345", 5, &written, nullptr);
    }
    const std::vector<FoundFile> all = FilesMatching(folder + L"\\*");
    ASSERT_EQ(all.size(), 2u);
    bool sawFile = false, sawFolder = false;
    for (const FoundFile& found : all) {
        if (found.name == L"temp.avi.part001.mkv") sawFile = !found.folder && found.size == 5;
        if (found.name == L"inner") sawFolder = found.folder;
    }
    EXPECT_TRUE(sawFile);
    EXPECT_TRUE(sawFolder);
    EXPECT_EQ(FilesMatching(folder + L"\\*.mkv").size(), 1u);
    EXPECT_TRUE(FilesMatching(folder + L"\\nothing*").empty());
    EXPECT_TRUE(FilesMatching(folder + L"\\no-such-folder\\*").empty());
    EXPECT_EQ(FileSizeOf(file), 5u);
    EXPECT_TRUE(IsExistingFile(file));
    EXPECT_FALSE(IsExistingFile(folder + L"\\inner"));
    DeleteFileW(file.c_str());
    RemoveDirectoryW((folder + L"\\inner").c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
