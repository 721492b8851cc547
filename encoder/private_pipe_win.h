// Named pipes only this user's processes on this computer can open: the
// gate each core waits at and the pipes that carry the sound to it. A
// classroom's microphone must not be heard, or fed, by another user's
// program that opened the pipe first.
#pragma once

#include <windows.h>

#include <string>

#include "support/unique_win.h"

// "\\.\pipe\tavrix-<stem>-" and 128 random bits in hexadecimal: a name
// nobody can guess. Should the system give no random bytes, the process id
// and the performance counter make it unique (the pipe's other protections
// still hold).
std::wstring UnguessablePipeName(const wchar_t* stem);

// The first instance of the pipe `path`, for one client: open to the
// current user only, no client from another computer, overlapped. Fails
// (with the system's error) when a pipe of that name exists already, so a
// pipe someone made beforehand never takes the core's connection.
UniqueFile CreatePrivatePipe(const std::wstring& path, DWORD access, DWORD outBufferBytes, DWORD inBufferBytes);
