// The COM class and interface ids the device enumerations use, written once
// for Tavrix and the encoder adapter: the DirectShow input categories and
// the audio endpoint enumerator. Only <windows.h> here, since the DirectShow
// and the audio-session headers cannot share a file.
#pragma once

#include <windows.h>

// {62BE5D10-60EB-11D0-BD3B-00A0C911CE86}
inline constexpr CLSID kSystemDeviceEnum = {0x62BE5D10, 0x60EB, 0x11D0,
                                            {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
// {29840822-5B84-11D0-BD3B-00A0C911CE86}
inline constexpr IID kICreateDevEnum = {0x29840822, 0x5B84, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
// {860BB310-5D01-11D0-BD3B-00A0C911CE86}
inline constexpr CLSID kVideoInputDeviceCategory = {0x860BB310, 0x5D01, 0x11D0,
                                                    {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
// {33D9A762-90C8-11D0-BD43-00A0C911CE86}
inline constexpr CLSID kAudioInputDeviceCategory = {0x33D9A762, 0x90C8, 0x11D0,
                                                    {0xBD, 0x43, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
// {55272A00-42CB-11CE-8135-00AA004BB851}
inline constexpr IID kIPropertyBag = {0x55272A00, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};
// The property of a DirectShow input that names it.
inline constexpr wchar_t kFriendlyNameProperty[] = L"FriendlyName";

// {BCDE0395-E52F-467C-8E3D-C4579291692E}
inline constexpr CLSID kMMDeviceEnumerator = {0xBCDE0395, 0xE52F, 0x467C,
                                              {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};
