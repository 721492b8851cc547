// The fonts a skin names: the first of its faces that is installed (then
// faces that show Chinese text on Windows and under Wine), made at a size.
#pragma once

#include <windows.h>

#include <string>

// The first installed face of `candidates` ("A;B;C") or of the fallbacks;
// the first one named when none is installed.
std::wstring ChooseFace(const std::wstring& candidates);

// A font of `size` pixels (character height) in `face`.
HFONT MakeFont(const std::wstring& face, int size, bool bold, bool underline, bool italic);
