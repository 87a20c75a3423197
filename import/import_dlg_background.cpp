// The main window's background: one picture of ".\bkpic\", chosen at random
// at the first erase, centred on the dialog colour; static texts drawn
// transparently over it.
#include "import/import_dlg.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "shell/picture_loader.h"

namespace {

// The folder of the pictures, relative to the current directory.
const wchar_t* const kPicturePattern = L".\\bkpic\\*.*";
const char* const kPictureFolder = ".\\bkpic\\";
// Names up to this many GBK bytes fit the path buffers of the program
// (".\bkpic\" + name in 128 bytes); longer ones are left out.
constexpr size_t kMaxPictureNameBytes = 119;

bool EndsWithIni(const std::wstring& strName) {
    if (strName.size() < 4) return false;
    return lstrcmpiW(strName.c_str() + strName.size() - 4, L".ini") == 0;
}

// The candidate names (GBK) in the order the system lists them: no folders,
// nothing named like the system's thumbnail cache, not the settings file.
std::vector<std::string> ListBackgroundPictures() {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW(kPicturePattern, &data);
    if (hFind == INVALID_HANDLE_VALUE) return names;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::wstring strWide(data.cFileName);
        if (strWide.find(L"Thumbs.db") != std::wstring::npos) continue;
        if (EndsWithIni(strWide)) continue;
        size_t nUnmappable = 0;
        std::string strName = Utf16ToCp936(
            std::u16string_view(reinterpret_cast<const char16_t*>(strWide.data()), strWide.size()),
            &nUnmappable);
        // A name GBK cannot spell would open another file, or none.
        if (nUnmappable || strName.empty() || strName.size() > kMaxPictureNameBytes) continue;
        names.push_back(strName);
    } while (FindNextFileW(hFind, &data));
    FindClose(hFind);
    return names;
}

// Gives a memory DC back its first bitmap and deletes both.
void DeleteMemoryImage(HDC& hDC, HBITMAP& hBitmap, HGDIOBJ& hOld) {
    if (hDC && hOld) SelectObject(hDC, hOld);
    if (hDC) DeleteDC(hDC);
    if (hBitmap) DeleteObject(hBitmap);
    hDC = nullptr;
    hBitmap = nullptr;
    hOld = nullptr;
}

// A memory DC compatible with hDC holding a new width x height bitmap;
// false (and nothing left over) when either cannot be made.
bool CreateMemoryImage(HDC hDC, int nWidth, int nHeight, HDC& hMemDC, HBITMAP& hBitmap,
                       HGDIOBJ& hOld) {
    hMemDC = CreateCompatibleDC(hDC);
    hBitmap = hMemDC ? CreateCompatibleBitmap(hDC, nWidth, nHeight) : nullptr;
    hOld = hBitmap ? SelectObject(hMemDC, hBitmap) : nullptr;
    if (hOld) return true;
    DeleteMemoryImage(hMemDC, hBitmap, hOld);
    return false;
}

}  // namespace

BOOL CImportDlg::OnEraseBkgnd(HDC hDC) {
    // The default erase fills with the dialog colour and leaves it as the
    // DC's background colour, which the composition takes up.
    BOOL bResult = CSkinnedDialog::OnEraseBkgnd(hDC);

    if (!m_bBackgroundReady && !m_bBackgroundFailed) {
        std::vector<std::string> names = ListBackgroundPictures();
        srand(GetTickCount());
        if (!names.empty()) {
            const std::string& strName = names[static_cast<size_t>(rand()) % names.size()];
            if (!LoadBackgroundPicture(hDC, strName.c_str())) {
                // Told once: the box's own repaints erase again, and the
                // plain background stays.
                m_bBackgroundFailed = TRUE;
                MessageBox(Utf8ToCp936("读图片出错!\n---Quillan"));
                return FALSE;
            }
        }
        m_bBackgroundReady = TRUE;
    }

    if (m_dcBackground) {
        CRect rc;
        GetClientRect(&rc);
        BitBlt(hDC, 0, 0, rc.Width(), rc.Height(), m_dcBackground, 0, 0, SRCCOPY);
    }
    return bResult;
}

BOOL CImportDlg::LoadBackgroundPicture(HDC hDC, const char* pszFileName) {
    if (!hDC || !pszFileName || !*pszFileName) return FALSE;
    std::string strPath = std::string(kPictureFolder) + pszFileName;

    CPictureLoader loader;
    if (!loader.Load(strPath.c_str())) return FALSE;
    SIZE size = loader.GetImageSize(nullptr);
    if (size.cx <= 0 || size.cy <= 0) return FALSE;

    DeleteMemoryImage(m_dcPicture, m_bmpPicture, m_hOldPicture);
    m_sizePicture = SIZE{0, 0};
    if (!CreateMemoryImage(hDC, size.cx + 1, size.cy + 1, m_dcPicture, m_bmpPicture, m_hOldPicture))
        return FALSE;
    m_sizePicture = size;

    RECT rcNatural = {0, 0, 0, 0};
    loader.Render(m_dcPicture, &rcNatural, nullptr);
    ComposeBackground(hDC);
    loader.Free();
    return TRUE;
}

void CImportDlg::ComposeBackground(HDC hDC) {
    DeleteMemoryImage(m_dcBackground, m_bmpBackground, m_hOldBackground);
    if (!hDC) return;
    CRect rc;
    GetClientRect(&rc);
    int nWidth = rc.Width();
    int nHeight = rc.Height();
    if (nWidth <= 0 || nHeight <= 0) return;
    if (!CreateMemoryImage(hDC, nWidth, nHeight, m_dcBackground, m_bmpBackground, m_hOldBackground))
        return;

    HBRUSH hBrush = CreateSolidBrush(GetBkColor(hDC));
    RECT rcAll = {0, 0, nWidth, nHeight};
    FillRect(m_dcBackground, &rcAll, hBrush);
    DeleteObject(hBrush);

    if (m_dcPicture) {
        // Integer division truncates toward zero: a larger picture is cut
        // equally on both sides.
        int x = (nWidth - m_sizePicture.cx) / 2;
        int y = (nHeight - m_sizePicture.cy) / 2;
        BitBlt(m_dcBackground, x, y, m_sizePicture.cx, m_sizePicture.cy, m_dcPicture, 0, 0, SRCCOPY);
    }
    BitBlt(hDC, 0, 0, nWidth, nHeight, m_dcBackground, 0, 0, SRCCOPY);
}

HBRUSH CImportDlg::OnCtlColor(HDC hDC, HWND hCtl, UINT nCtlColor) {
    HBRUSH hBrush = CSkinnedDialog::OnCtlColor(hDC, hCtl, nCtlColor);
    if (nCtlColor != CTLCOLOR_STATIC) return hBrush;
    // Read-only edits ask as statics too; they keep their own ground.
    wchar_t szClass[8] = {};
    if (hCtl && GetClassNameW(hCtl, szClass, 8) && lstrcmpiW(szClass, L"Edit") == 0) return hBrush;
    // Only the text, in the dialog text colour, over the picture.
    SetBkMode(hDC, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

void CImportDlg::FreeBackground() {
    DeleteMemoryImage(m_dcBackground, m_bmpBackground, m_hOldBackground);
    DeleteMemoryImage(m_dcPicture, m_bmpPicture, m_hOldPicture);
    m_sizePicture = SIZE{0, 0};
    // A later run of the same object chooses again.
    m_bBackgroundReady = FALSE;
    m_bBackgroundFailed = FALSE;
}
