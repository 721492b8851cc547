// UTF-8 from wide text without Windows: for the encoder's log, the join's
// list and whatever else leaves a program as UTF-8 on every target.
#pragma once

#include <string>

// UTF-16 (or, where wchar_t is 32 bits, UTF-32) to UTF-8; unpaired
// surrogates become U+FFFD.
std::string Utf8FromWide(const std::wstring& text);
