// Small pictures drawn from text, for the skin tests: one character per pixel.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace skintest {

constexpr COLORREF GROUND = RGB(184, 201, 227);  // the pictures' light-blue ground

// A 24-bit top-down DIB section; rows[y][x] names the pixel's colour in colours.
// The caller owns the handle.
inline HBITMAP MakeBitmap(const std::vector<std::string>& rows,
                          const std::map<char, COLORREF>& colours) {
    const int h = static_cast<int>(rows.size());
    const int w = h ? static_cast<int>(rows[0].size()) : 0;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    HBITMAP hBitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    if (!hBitmap) return nullptr;
    const int nStride = (w * 3 + 3) & ~3;
    auto* p = static_cast<BYTE*>(pBits);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            COLORREF c = colours.at(rows[y][x]);
            BYTE* px = p + y * nStride + x * 3;
            px[0] = GetBValue(c);
            px[1] = GetGValue(c);
            px[2] = GetRValue(c);
        }
    GdiFlush();
    return hBitmap;
}

// A w x h picture of one colour.
inline HBITMAP MakeSolid(int w, int h, COLORREF c) {
    return MakeBitmap(std::vector<std::string>(h, std::string(w, 'c')), {{'c', c}});
}

// Reads pixels of a bitmap that is not selected anywhere else.
class CPixelReader {
public:
    explicit CPixelReader(HBITMAP hBitmap)
        : m_hDC(CreateCompatibleDC(nullptr)), m_hOld(SelectObject(m_hDC, hBitmap)) {}
    ~CPixelReader() {
        SelectObject(m_hDC, m_hOld);
        DeleteDC(m_hDC);
    }
    COLORREF At(int x, int y) const { return GetPixel(m_hDC, x, y); }
    HDC Dc() const { return m_hDC; }

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

} // namespace skintest
