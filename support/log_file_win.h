// The program's log file, opened for appending without following a link:
// the program runs elevated, and a link planted where the log goes (a hard
// link, a symbolic link, a junction) would make it append to any file of
// the system.
#pragma once

#include <cstdio>
#include <string>

// `path` opened for appending in text mode, created when missing; null when
// it cannot be opened or is not a plain file of its own (a link or reparse
// point, a file with other names, a folder): then nothing is written there.
FILE* OpenLogFile(const std::wstring& path);
