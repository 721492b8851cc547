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

TEST(FileNameOfPath, WhatFollowsTheFolder) {
    EXPECT_EQ(FileNameOfPath(L"C:\\t\\temp.avi.part001.mkv"), L"temp.avi.part001.mkv");
    EXPECT_EQ(FileNameOfPath(L"C:\\a/第一课 1.avi"), L"第一课 1.avi");
    EXPECT_EQ(FileNameOfPath(L"temp.avi"), L"temp.avi");
    EXPECT_EQ(FileNameOfPath(L"C:\\t\\"), L"");
}
