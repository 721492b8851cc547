// Deleting the files the adapter's cores wrote, which a core just ended may
// still hold for a moment.
#pragma once

#include <windows.h>

#include <string>

// Deletes `path`; a file just released by a process that was ended may stay
// locked for a moment, so it is tried again briefly. True when it is gone.
bool DeleteFileSoon(const std::wstring& path);
