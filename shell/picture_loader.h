// A picture file (bitmap, JPEG, GIF, icon, metafile) loaded through the
// system's picture loader and drawn at its natural size.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

class CPictureLoader {
public:
    CPictureLoader();
    ~CPictureLoader();
    CPictureLoader(const CPictureLoader&) = delete;
    CPictureLoader& operator=(const CPictureLoader&) = delete;

    // pszPath GBK. FALSE when the file cannot be opened or is no picture
    // the loader reads.
    BOOL Load(const char* pszPath);
    // In device pixels, through hDC or the screen when null; (0, 0) without
    // a picture.
    SIZE GetImageSize(HDC hDC = nullptr) const;
    // Draws the whole picture into *pRect; an empty rectangle (all four 0)
    // is the natural size at (0, 0).
    BOOL Render(HDC hDC, RECT* pRect, const RECT* pBounds = nullptr) const;
    void Free();

    IPicture* m_pPicture;
};
