// A button picture together with the region of its non-transparent pixels.
//
// The skinned dialogs draw their command buttons as pictures over hidden push
// buttons and hit-test the mouse against the picture's shape. The transparent
// colour of a picture is normally the colour of its top-left pixel.
#pragma once

#include <windows.h>

#include "ui/bitmap.h"

// Passed as the transparent colour: use the colour of the top-left pixel.
constexpr COLORREF SKIN_TOP_LEFT_COLOR = 0xFF000000;

class CSkinBitmap : public CBitmap {
public:
    CSkinBitmap();
    ~CSkinBitmap() override;

    CSkinBitmap(const CSkinBitmap&) = delete;
    CSkinBitmap& operator=(const CSkinBitmap&) = delete;

    // Builds m_hRgn from the bitmap (a region built before is freed first).
    // Null, and no region, when the object holds no bitmap.
    HRGN CreateRegion(COLORREF crTransparent = SKIN_TOP_LEFT_COLOR);

    // Width and height from the bitmap's header; 0 x 0 without a bitmap.
    SIZE GetBitmapSize() const;

    // Draws the whole bitmap at its own size with its top-left corner at
    // (x, y); pixels of the top-left pixel's colour leave hDC unpainted.
    BOOL DrawAt(HDC hDC, int x, int y) const;

    // The region of every pixel of hMemDC (0, 0)-(size) whose colour is not
    // crTransparent: the whole rectangle less one rectangle per transparent run
    // of each row.
    static HRGN RegionFromBitmap(HDC hMemDC, SIZE size, COLORREF crTransparent);

    // Copies the source rectangle stretched to the destination rectangle,
    // leaving the destination's pixels where the source has crTransparent.
    static BOOL DrawTransparent(HDC hdcDest, int nXDest, int nYDest, int nWidthDest,
                                int nHeightDest, HDC hdcSrc, int nXSrc, int nYSrc,
                                int nWidthSrc, int nHeightSrc, COLORREF crTransparent);

    // Region tests and placement; a null region holds no point.
    BOOL RegionContains(POINT pt) const;
    void OffsetRegion(int dx, int dy);
    void DeleteRegion();

    HRGN m_hRgn;
};
