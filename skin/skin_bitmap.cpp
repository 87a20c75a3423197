#include "skin/skin_bitmap.h"

#include <initializer_list>

namespace {

// A memory context with one bitmap selected, restored and freed on scope exit.
class CSelectedBitmap {
public:
    CSelectedBitmap(HDC hdcLike, HBITMAP hBitmap)
        : m_hDC(CreateCompatibleDC(hdcLike)), m_hOld(nullptr) {
        if (m_hDC && hBitmap) m_hOld = SelectObject(m_hDC, hBitmap);
    }
    ~CSelectedBitmap() {
        if (!m_hDC) return;
        if (m_hOld) SelectObject(m_hDC, m_hOld);
        DeleteDC(m_hDC);
    }
    CSelectedBitmap(const CSelectedBitmap&) = delete;
    CSelectedBitmap& operator=(const CSelectedBitmap&) = delete;

    bool Ok() const { return m_hDC && m_hOld; }
    HDC Dc() const { return m_hDC; }

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

// Bits per pixel of the screen, the depth of the working copies.
int ScreenBitsPerPixel() {
    HDC hScreen = GetDC(nullptr);
    int nBits = hScreen ? GetDeviceCaps(hScreen, BITSPIXEL) * GetDeviceCaps(hScreen, PLANES) : 0;
    if (hScreen) ReleaseDC(nullptr, hScreen);
    return nBits > 0 ? nBits : 32;
}

} // namespace

CSkinBitmap::CSkinBitmap() : m_hRgn(nullptr) {}

CSkinBitmap::~CSkinBitmap() {
    DeleteRegion();
}

void CSkinBitmap::DeleteRegion() {
    if (m_hRgn) {
        ::DeleteObject(m_hRgn);
        m_hRgn = nullptr;
    }
}

SIZE CSkinBitmap::GetBitmapSize() const {
    SIZE size = {0, 0};
    BITMAP bm;
    if (m_hObject && GetObjectW(m_hObject, sizeof(bm), &bm) == sizeof(bm)) {
        size.cx = bm.bmWidth;
        size.cy = bm.bmHeight;
    }
    return size;
}

HRGN CSkinBitmap::CreateRegion(COLORREF crTransparent) {
    DeleteRegion();
    if (!m_hObject) return nullptr;
    SIZE size = GetBitmapSize();
    CSelectedBitmap mem(nullptr, m_hObject);
    if (!mem.Ok()) return nullptr;
    if (crTransparent == SKIN_TOP_LEFT_COLOR) crTransparent = GetPixel(mem.Dc(), 0, 0);
    m_hRgn = RegionFromBitmap(mem.Dc(), size, crTransparent);
    return m_hRgn;
}

HRGN CSkinBitmap::RegionFromBitmap(HDC hMemDC, SIZE size, COLORREF crTransparent) {
    HRGN hRgn = CreateRectRgn(0, 0, size.cx, size.cy);
    if (!hRgn) return nullptr;
    for (int y = 0; y < size.cy; ++y) {
        int nRunStart = -1;
        // x == width counts as opaque, so that a run always ends at the row's end.
        for (int x = 0; x <= size.cx; ++x) {
            bool bTransparent = x < size.cx && GetPixel(hMemDC, x, y) == crTransparent;
            if (bTransparent) {
                if (nRunStart < 0) nRunStart = x;
            } else if (nRunStart >= 0) {
                HRGN hRun = CreateRectRgn(nRunStart, y, x, y + 1);
                if (hRun) {
                    CombineRgn(hRgn, hRgn, hRun, RGN_DIFF);
                    ::DeleteObject(hRun);
                }
                nRunStart = -1;
            }
        }
    }
    return hRgn;
}

BOOL CSkinBitmap::DrawAt(HDC hDC, int x, int y) const {
    if (!m_hObject || !hDC) return FALSE;
    SIZE size = GetBitmapSize();
    CSelectedBitmap mem(hDC, m_hObject);
    if (!mem.Ok()) return FALSE;
    COLORREF crTransparent = GetPixel(mem.Dc(), 0, 0);
    return DrawTransparent(hDC, x, y, size.cx, size.cy, mem.Dc(), 0, 0, size.cx, size.cy,
                           crTransparent);
}

BOOL CSkinBitmap::DrawTransparent(HDC hdcDest, int nXDest, int nYDest, int nWidthDest,
                                  int nHeightDest, HDC hdcSrc, int nXSrc, int nYSrc,
                                  int nWidthSrc, int nHeightSrc, COLORREF crTransparent) {
    if (nWidthDest <= 0 || nHeightDest <= 0 || nWidthSrc <= 0 || nHeightSrc <= 0) return FALSE;
    const int nBits = ScreenBitsPerPixel();

    // Everything made here is released in one place, whatever failed.
    HBITMAP hImage = CreateBitmap(nWidthSrc, nHeightSrc, 1, nBits, nullptr);
    HBITMAP hMask = CreateBitmap(nWidthSrc, nHeightSrc, 1, 1, nullptr);
    HBITMAP hMaskWide = CreateBitmap(nWidthDest, nHeightDest, 1, nBits, nullptr);
    HBITMAP hImageWide = CreateBitmap(nWidthDest, nHeightDest, 1, nBits, nullptr);
    BOOL bDrawn = FALSE;
    if (hImage && hMask && hMaskWide && hImageWide) {
        CSelectedBitmap image(hdcDest, hImage);
        CSelectedBitmap mask(hdcDest, hMask);
        CSelectedBitmap maskWide(hdcDest, hMaskWide);
        CSelectedBitmap imageWide(hdcDest, hImageWide);
        if (image.Ok() && mask.Ok() && maskWide.Ok() && imageWide.Ok()) {
            BitBlt(image.Dc(), 0, 0, nWidthSrc, nHeightSrc, hdcSrc, nXSrc, nYSrc, SRCCOPY);

            // Mask: white where the image has the transparent colour, black elsewhere.
            SetBkColor(mask.Dc(), RGB(0, 0, 0));
            SetTextColor(mask.Dc(), RGB(255, 255, 255));
            PatBlt(mask.Dc(), 0, 0, nWidthSrc, nHeightSrc, BLACKNESS);
            SetBkColor(image.Dc(), crTransparent);
            BitBlt(mask.Dc(), 0, 0, nWidthSrc, nHeightSrc, image.Dc(), 0, 0, SRCINVERT);

            // The image's transparent pixels turn black, the others keep their colour.
            SetBkColor(image.Dc(), RGB(0, 0, 0));
            SetTextColor(image.Dc(), RGB(255, 255, 255));
            BitBlt(image.Dc(), 0, 0, nWidthSrc, nHeightSrc, mask.Dc(), 0, 0, SRCAND);

            SetStretchBltMode(maskWide.Dc(), COLORONCOLOR);
            StretchBlt(maskWide.Dc(), 0, 0, nWidthDest, nHeightDest, mask.Dc(), 0, 0, nWidthSrc,
                       nHeightSrc, SRCCOPY);
            SetStretchBltMode(imageWide.Dc(), COLORONCOLOR);
            StretchBlt(imageWide.Dc(), 0, 0, nWidthDest, nHeightDest, image.Dc(), 0, 0,
                       nWidthSrc, nHeightSrc, SRCCOPY);

            // And keeps the ground under the transparent pixels; or puts the image on the rest.
            BitBlt(hdcDest, nXDest, nYDest, nWidthDest, nHeightDest, maskWide.Dc(), 0, 0, SRCAND);
            BitBlt(hdcDest, nXDest, nYDest, nWidthDest, nHeightDest, imageWide.Dc(), 0, 0,
                   SRCPAINT);
            bDrawn = TRUE;
        }
    }
    for (HBITMAP h : {hImage, hMask, hMaskWide, hImageWide})
        if (h) ::DeleteObject(h);
    return bDrawn;
}

BOOL CSkinBitmap::RegionContains(POINT pt) const {
    return m_hRgn && PtInRegion(m_hRgn, pt.x, pt.y);
}

void CSkinBitmap::OffsetRegion(int dx, int dy) {
    if (m_hRgn) OffsetRgn(m_hRgn, dx, dy);
}
