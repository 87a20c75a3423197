#include "shell/picture_loader.h"

#include <string>

#include "ui/text.h"

namespace {

// Pictures are small; a file beyond this is refused rather than read whole
// into memory.
constexpr LONGLONG kMaxPictureBytes = 64LL * 1024 * 1024;

// HIMETRIC (hundredths of a millimetre) to device pixels.
SIZE HimetricToPixels(HDC hDC, OLE_XSIZE_HIMETRIC hmWidth, OLE_YSIZE_HIMETRIC hmHeight) {
    HDC hScreen = hDC ? nullptr : GetDC(nullptr);
    HDC hRef = hDC ? hDC : hScreen;
    int nDpiX = hRef ? GetDeviceCaps(hRef, LOGPIXELSX) : 96;
    int nDpiY = hRef ? GetDeviceCaps(hRef, LOGPIXELSY) : 96;
    if (hScreen) ReleaseDC(nullptr, hScreen);
    return SIZE{MulDiv(hmWidth, nDpiX, 2540), MulDiv(hmHeight, nDpiY, 2540)};
}

// The whole file in a movable memory block, or null.
HGLOBAL ReadWholeFile(HANDLE hFile, DWORD* pnSize) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(hFile, &size) || size.QuadPart <= 0 || size.QuadPart > kMaxPictureBytes)
        return nullptr;
    DWORD nSize = static_cast<DWORD>(size.QuadPart);
    HGLOBAL hGlobal = GlobalAlloc(GMEM_MOVEABLE, nSize);
    if (!hGlobal) return nullptr;
    void* pData = GlobalLock(hGlobal);
    DWORD nRead = 0;
    bool bOk = pData && ReadFile(hFile, pData, nSize, &nRead, nullptr) && nRead == nSize;
    if (pData) GlobalUnlock(hGlobal);
    if (!bOk) {
        GlobalFree(hGlobal);
        return nullptr;
    }
    *pnSize = nSize;
    return hGlobal;
}

}  // namespace

CPictureLoader::CPictureLoader() : m_pPicture(nullptr) {}

CPictureLoader::~CPictureLoader() { Free(); }

BOOL CPictureLoader::Load(const char* pszPath) {
    Free();
    if (!pszPath || !*pszPath) return FALSE;
    // Others may read the file meanwhile, but not change it under the reader.
    HANDLE hFile = CreateFileW(Wide(pszPath).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) return FALSE;
    DWORD nSize = 0;
    HGLOBAL hGlobal = ReadWholeFile(hFile, &nSize);
    CloseHandle(hFile);
    if (!hGlobal) return FALSE;

    IStream* pStream = nullptr;
    // The stream owns the block from here on and frees it on release.
    if (FAILED(CreateStreamOnHGlobal(hGlobal, TRUE, &pStream)) || !pStream) {
        GlobalFree(hGlobal);
        return FALSE;
    }
    void* pPicture = nullptr;
    HRESULT hr = OleLoadPicture(pStream, 0, FALSE, IID_IPicture, &pPicture);
    pStream->Release();
    if (FAILED(hr) || !pPicture) return FALSE;
    m_pPicture = static_cast<IPicture*>(pPicture);
    return TRUE;
}

SIZE CPictureLoader::GetImageSize(HDC hDC) const {
    if (!m_pPicture) return SIZE{0, 0};
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    if (FAILED(m_pPicture->get_Width(&hmWidth)) || FAILED(m_pPicture->get_Height(&hmHeight)))
        return SIZE{0, 0};
    return HimetricToPixels(hDC, hmWidth, hmHeight);
}

BOOL CPictureLoader::Render(HDC hDC, RECT* pRect, const RECT* pBounds) const {
    if (!m_pPicture || !hDC) return FALSE;
    RECT rect = pRect ? *pRect : RECT{0, 0, 0, 0};
    if (rect.left == 0 && rect.top == 0 && rect.right == 0 && rect.bottom == 0) {
        SIZE size = GetImageSize(hDC);
        rect = RECT{0, 0, size.cx, size.cy};
        if (pRect) *pRect = rect;
    }
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    m_pPicture->get_Width(&hmWidth);
    m_pPicture->get_Height(&hmHeight);
    // The source is given bottom-up: from the picture's height upwards.
    HRESULT hr = m_pPicture->Render(hDC, rect.left, rect.top, rect.right - rect.left,
                                    rect.bottom - rect.top, 0, hmHeight, hmWidth, -hmHeight, pBounds);
    return SUCCEEDED(hr);
}

void CPictureLoader::Free() {
    if (m_pPicture) {
        m_pPicture->Release();
        m_pPicture = nullptr;
    }
}
