#include <gtest/gtest.h>

#include "support/path.h"

TEST(FolderOfPath, LastSeparatorOfEitherKind) {
    EXPECT_EQ(FolderOfPath(L"C:\\a/b\\c.exe"), L"C:\\a/b\\");
    EXPECT_EQ(FolderOfPath(L"C:\\a\\b/c.exe"), L"C:\\a\\b/");
    EXPECT_EQ(FolderOfPath(L"C:\\Program Files\\Tavrix\\Tavrix.exe"), L"C:\\Program Files\\Tavrix\\");
    EXPECT_EQ(FolderOfPath(L"Tavrix.exe"), L"");
    EXPECT_EQ(FolderOfPath(L""), L"");
    EXPECT_EQ(FolderOfPath(L"\\"), L"\\");
}
