// Drawing for the controls: GDI+ for rounded fills, borders and pictures with
// alpha (antialiased), GDI for crisp ClearType text. GDI+ must be running
// (ScopedGdiplus): the program starts it in wWinMain, a tool or a test
// program that draws skins starts its own.
#pragma once

#include <windows.h>

#include <string>

#include "uilib/ui_control.h"
#include "uilib/ui_manager.h"

namespace UiRender {

// Loads a picture file; an empty image when it can't be read.
UiImage LoadImageFile(const std::wstring& path);
void FreeImage(UiImage& image);
// A PNG file decoded by the imaging component's PNG decoder, pixel for pixel
// what GDI+'s own loader gives (32-bit ARGB); null for any other file, on a
// thread without COM, or without the component. LoadImageFile takes it first.
void* DecodePngFile(const std::wstring& path);  // GpBitmap*

// Fills rc with the colour; rounded when round is non-zero. Alpha 0: nothing.
void FillRect(HDC hdc, const RECT& rc, SIZE round, UiColor color);
// A border of `size` pixels inside rc.
void DrawBorder(HDC hdc, const RECT& rc, SIZE round, int size, UiColor color);
// Draws a picture described as ParseUiImageDesc reads it; false when it
// could not be drawn (bad description or unreadable file).
bool DrawImage(HDC hdc, CPaintManagerUI* manager, const RECT& rc, const std::wstring& desc);
// Text in rc with DrawText format bits; multi-line text is centred too.
void DrawText(HDC hdc, CPaintManagerUI* manager, const RECT& rc, const std::wstring& text,
              UiColor color, int font, UINT style);

}  // namespace UiRender
