// GDI+ (flat API) and GDI drawing for the controls.
#include "uilib/ui_render.h"

#include <objidl.h>
#include <shlwapi.h>
#include <wincodec.h>

#include <gdiplus.h>

#include <cstring>

#include "support/unique_win.h"
#include "uilib/ui_values.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace UiRender {

namespace {

// One GDI+ graphics object on a device context for one drawing step.
class Graphics {
public:
    explicit Graphics(HDC hdc) {
        if (GdipCreateFromHDC(hdc, &m_g) != Ok) m_g = nullptr;
        if (m_g == nullptr) return;
        GdipSetSmoothingMode(m_g, SmoothingModeAntiAlias);
        GdipSetPixelOffsetMode(m_g, PixelOffsetModeHalf);
        GdipSetInterpolationMode(m_g, InterpolationModeHighQualityBicubic);
    }
    ~Graphics() {
        if (m_g != nullptr) GdipDeleteGraphics(m_g);
    }
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;
    GpGraphics* get() const { return m_g; }
private:
    GpGraphics* m_g = nullptr;
};

// A rounded rectangle path over the float rectangle (x, y, w, h).
GpPath* RoundPath(REAL x, REAL y, REAL w, REAL h, REAL rx, REAL ry) {
    GpPath* path = nullptr;
    if (GdipCreatePath(FillModeAlternate, &path) != Ok) return nullptr;
    REAL dx = rx * 2 > w ? w : rx * 2;
    REAL dy = ry * 2 > h ? h : ry * 2;
    if (dx <= 0 || dy <= 0) {
        GdipAddPathRectangle(path, x, y, w, h);
    } else {
        GdipAddPathArc(path, x, y, dx, dy, 180, 90);
        GdipAddPathArc(path, x + w - dx, y, dx, dy, 270, 90);
        GdipAddPathArc(path, x + w - dx, y + h - dy, dx, dy, 0, 90);
        GdipAddPathArc(path, x, y + h - dy, dx, dy, 90, 90);
        GdipClosePathFigure(path);
    }
    return path;
}

}  // namespace

// GDI+'s loader asks every installed codec and metadata reader about each
// file it opens, which under Wine costs several milliseconds a picture: the
// startup window's pictures took most of its first paint. The PNG decoder
// alone takes under one.
void* DecodePngFile(const std::wstring& path) {
    static const BYTE kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ComPtr<IStream> stream;
    if (FAILED(SHCreateStreamOnFileEx(path.c_str(), STGM_READ | STGM_SHARE_DENY_WRITE, FILE_ATTRIBUTE_NORMAL, FALSE,
                                      nullptr, stream.put())))
        return nullptr;
    BYTE head[sizeof(kSignature)] = {};
    ULONG read = 0;
    if (FAILED(stream->Read(head, sizeof(head), &read)) || read != sizeof(head) ||
        memcmp(head, kSignature, sizeof(head)) != 0)
        return nullptr;
    const LARGE_INTEGER start = {};
    if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) return nullptr;

    using ConvertFn = HRESULT(WINAPI*)(REFWICPixelFormatGUID, IWICBitmapSource*, IWICBitmapSource**);
    static const auto convert = SystemFunction<ConvertFn>(L"windowscodecs.dll", "WICConvertBitmapSource");
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICBitmapSource> pixels;
    UINT width = 0;
    UINT height = 0;
    if (convert == nullptr ||
        FAILED(CoCreateInstance(CLSID_WICPngDecoder, nullptr, CLSCTX_INPROC_SERVER, IID_IWICBitmapDecoder,
                                decoder.putVoid())) ||
        FAILED(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand)) ||
        FAILED(decoder->GetFrame(0, frame.put())) ||
        FAILED(convert(GUID_WICPixelFormat32bppBGRA, frame.get(), pixels.put())) ||
        FAILED(pixels->GetSize(&width, &height)) || width == 0 || height == 0 || width > 0x4000 || height > 0x4000)
        return nullptr;

    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(static_cast<INT>(width), static_cast<INT>(height), 0, PixelFormat32bppARGB, nullptr,
                                  &bitmap) != Ok)
        return nullptr;
    GpRect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    BitmapData data = {};
    bool copied = false;
    if (GdipBitmapLockBits(bitmap, &all, ImageLockModeWrite, PixelFormat32bppARGB, &data) == Ok) {
        const WICRect rect = {0, 0, static_cast<INT>(width), static_cast<INT>(height)};
        copied = data.Stride > 0 && SUCCEEDED(pixels->CopyPixels(&rect, static_cast<UINT>(data.Stride),
                                              static_cast<UINT>(data.Stride) * height, static_cast<BYTE*>(data.Scan0)));
        GdipBitmapUnlockBits(bitmap, &data);
    }
    if (!copied) {
        GdipDisposeImage(bitmap);
        return nullptr;
    }
    return bitmap;
}

UiImage LoadImageFile(const std::wstring& path) {
    UiImage image;
    // GDI+ reports a missing file as a generic error; ask the file system first.
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return image;
    auto* bitmap = static_cast<GpBitmap*>(DecodePngFile(path));
    if (bitmap == nullptr && (GdipCreateBitmapFromFile(path.c_str(), &bitmap) != Ok || bitmap == nullptr)) return image;
    UINT w = 0;
    UINT h = 0;
    GdipGetImageWidth(bitmap, &w);
    GdipGetImageHeight(bitmap, &h);
    image.bitmap = bitmap;
    image.width = static_cast<int>(w);
    image.height = static_cast<int>(h);
    return image;
}

void FreeImage(UiImage& image) {
    if (image.bitmap != nullptr) GdipDisposeImage(static_cast<GpImage*>(image.bitmap));
    image = UiImage{};
}

void FillRect(HDC hdc, const RECT& rc, SIZE round, UiColor color) {
    if ((color >> 24) == 0 || rc.right <= rc.left || rc.bottom <= rc.top) return;
    Graphics g(hdc);
    if (g.get() == nullptr) return;
    GpSolidFill* brush = nullptr;
    if (GdipCreateSolidFill(color, &brush) != Ok) return;
    if (round.cx == 0 && round.cy == 0) {
        GdipSetSmoothingMode(g.get(), SmoothingModeNone);
        GdipFillRectangleI(g.get(), brush, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    } else {
        GpPath* path = RoundPath(static_cast<REAL>(rc.left), static_cast<REAL>(rc.top),
                                 static_cast<REAL>(rc.right - rc.left),
                                 static_cast<REAL>(rc.bottom - rc.top),
                                 static_cast<REAL>(round.cx) / 2, static_cast<REAL>(round.cy) / 2);
        if (path != nullptr) {
            GdipFillPath(g.get(), brush, path);
            GdipDeletePath(path);
        }
    }
    GdipDeleteBrush(brush);
}

void DrawBorder(HDC hdc, const RECT& rc, SIZE round, int size, UiColor color) {
    if ((color >> 24) == 0 || size <= 0 || rc.right <= rc.left || rc.bottom <= rc.top) return;
    Graphics g(hdc);
    if (g.get() == nullptr) return;
    GpPen* pen = nullptr;
    if (GdipCreatePen1(color, static_cast<REAL>(size), UnitPixel, &pen) != Ok) return;
    // The pen is centred on the path: inset by half its width so the border
    // lies inside the rectangle.
    REAL half = static_cast<REAL>(size) / 2;
    REAL x = static_cast<REAL>(rc.left) + half;
    REAL y = static_cast<REAL>(rc.top) + half;
    REAL w = static_cast<REAL>(rc.right - rc.left) - size;
    REAL h = static_cast<REAL>(rc.bottom - rc.top) - size;
    if (round.cx == 0 && round.cy == 0) GdipSetSmoothingMode(g.get(), SmoothingModeNone);
    GpPath* path = RoundPath(x, y, w, h, static_cast<REAL>(round.cx) / 2, static_cast<REAL>(round.cy) / 2);
    if (path != nullptr) {
        GdipDrawPath(g.get(), pen, path);
        GdipDeletePath(path);
    }
    GdipDeletePen(pen);
}

bool DrawImage(HDC hdc, CPaintManagerUI* manager, const RECT& rc, const std::wstring& desc) {
    if (desc.empty() || manager == nullptr) return false;
    UiImageDesc parsed;
    if (!ParseUiImageDesc(desc, parsed)) return false;
    const UiImage* image = manager->GetImage(parsed.file);
    if (image == nullptr || image->bitmap == nullptr) return false;
    // dest is in skin units, source in the 96-dpi picture's pixels: both
    // follow the display density and the picture's own.
    RECT dest = rc;
    if (parsed.hasDest) {
        dest = RECT{rc.left + manager->Scale(parsed.dest[0]), rc.top + manager->Scale(parsed.dest[1]),
                    rc.left + manager->Scale(parsed.dest[2]), rc.top + manager->Scale(parsed.dest[3])};
    }
    RECT source{0, 0, image->width, image->height};
    if (parsed.hasSource) {
        const int d = image->density;
        source = RECT{parsed.source[0] * d, parsed.source[1] * d, parsed.source[2] * d, parsed.source[3] * d};
    }
    if (dest.right <= dest.left || dest.bottom <= dest.top) return false;
    Graphics g(hdc);
    if (g.get() == nullptr) return false;
    // Drawn 1:1 when the sizes agree, so icons stay sharp.
    if (source.right - source.left == dest.right - dest.left &&
        source.bottom - source.top == dest.bottom - dest.top) {
        GdipSetInterpolationMode(g.get(), InterpolationModeNearestNeighbor);
    }
    return GdipDrawImageRectRectI(g.get(), static_cast<GpImage*>(image->bitmap), dest.left, dest.top,
                                  dest.right - dest.left, dest.bottom - dest.top, source.left,
                                  source.top, source.right - source.left,
                                  source.bottom - source.top, UnitPixel, nullptr, nullptr,
                                  nullptr) == Ok;
}

void DrawText(HDC hdc, CPaintManagerUI* manager, const RECT& rc, const std::wstring& text,
              UiColor color, int font, UINT style) {
    if (text.empty() || (color >> 24) == 0 || manager == nullptr) return;
    const ScopedSelect selectFont(hdc, manager->GetFont(font));
    ::SetBkMode(hdc, TRANSPARENT);
    ::SetTextColor(hdc, RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF));
    RECT box = rc;
    if ((style & DT_SINGLELINE) == 0 && (style & (DT_VCENTER | DT_BOTTOM)) != 0) {
        // DrawText centres single lines only: measure the block and place it.
        RECT measure = rc;
        ::DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &measure,
                    (style & ~(DT_VCENTER | DT_BOTTOM)) | DT_CALCRECT);
        int height = measure.bottom - measure.top;
        int room = (rc.bottom - rc.top) - height;
        if (room > 0) box.top += (style & DT_BOTTOM) != 0 ? room : room / 2;
    }
    ::DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &box,
                style | DT_NOPREFIX | DT_END_ELLIPSIS);
}

}  // namespace UiRender
