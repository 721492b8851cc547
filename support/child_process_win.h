// Starting a child process: one starter for every program Tavrix and its
// encoder start (the registration tool, the encoder, its join, the core).
// Children start hidden, by a full path, and inherit only the handles asked
// for here.
#pragma once

#include <windows.h>

#include <string>

#include "support/unique_win.h"

struct ChildStart {
    // The program's full path. Empty: the first word of the command line
    // names it (for a caller that puts the full path there, quoted).
    std::wstring program;
    std::wstring commandLine;
    // The child's current folder; empty: this process's.
    std::wstring folder;
    // Standard input a pipe whose write end comes back as Child::input.
    bool inputPipe = false;
    // Written into that pipe before the child runs, so it is surely the first
    // thing the child reads.
    std::string firstInput;
    // Where standard output and error go (the child gets a copy); null: nowhere.
    HANDLE output = nullptr;
    // The job the child runs in, from before its first instruction (it breaks
    // away from a job this process is in where that is allowed); null: none.
    HANDLE job = nullptr;
};

struct Child {
    ProcessRecord process;
    UniqueHandle input;  // the write end of its standard input (with inputPipe)
    bool inJob = false;  // it was put into ChildStart::job
};

// Starts the child without a console window, at normal priority. False with
// the system's error code in `error`; then nothing of it stays open.
bool StartChild(const ChildStart& start, Child& child, DWORD& error);
