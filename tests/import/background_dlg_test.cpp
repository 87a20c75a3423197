// The main window's background: a picture of ".\bkpic\" chosen at the first
// erase and centred on the dialog colour, transparent static texts, and the
// picture buttons' hot regions.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "import/import_dlg.h"
#include "res/resource.h"
#include "shell/picture_loader.h"
#include "ui/app.h"
#include "ui/text.h"
#include "ui_test_util.h"

namespace {

const COLORREF kBk = RGB(181, 198, 222);
const COLORREF kText = RGB(255, 255, 255);

// The colour of picture pixel (x, y) in the test pictures: the position can
// be read back from the colour.
COLORREF PictureColour(int x, int y) { return RGB(x & 0xFF, y & 0xFF, 77); }

// A 24-bit bottom-up BMP file of PictureColour.
std::string MakeBmp(int nWidth, int nHeight) {
    int nStride = (nWidth * 3 + 3) & ~3;
    DWORD nImage = static_cast<DWORD>(nStride * nHeight);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + nImage;
    info.biSize = sizeof info;
    info.biWidth = nWidth;
    info.biHeight = nHeight;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = nImage;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    std::string row(static_cast<size_t>(nStride), '\0');
    for (int y = nHeight - 1; y >= 0; --y) {
        for (int x = 0; x < nWidth; ++x) {
            COLORREF c = PictureColour(x, y);
            row[x * 3] = static_cast<char>(GetBValue(c));
            row[x * 3 + 1] = static_cast<char>(GetGValue(c));
            row[x * 3 + 2] = static_cast<char>(GetRValue(c));
        }
        bytes += row;
    }
    return bytes;
}

// The main window with its start and exit commands observed; they go on
// to the window's own when asked to.
class CTestImportDlg : public CImportDlg {
public:
    using CImportDlg::m_skin;
    int m_nOK = 0;
    int m_nCancel = 0;
    bool m_bRunCommands = false;

    void OnOK() override {
        ++m_nOK;
        if (m_bRunCommands) CImportDlg::OnOK();
    }
    void OnCancel() override {
        ++m_nCancel;
        if (m_bRunCommands) CImportDlg::OnCancel();
    }
};

// Hot-region entries in the window's order.
constexpr int kStartEntry = 2;
constexpr int kExitEntry = 4;

// The client position of a control's top-left corner: where its picture's
// top-left pixel, which is of the transparent colour, lies.
POINT ControlTopLeft(HWND hDlg, int nID) {
    RECT rc{};
    GetWindowRect(GetDlgItem(hDlg, nID), &rc);
    POINT pt{rc.left, rc.top};
    ScreenToClient(hDlg, &pt);
    return pt;
}

// A point inside the entry's shape, as near its box's centre as there is one.
bool OpaquePoint(CTestImportDlg& dlg, int nEntry, POINT* pPoint) {
    HRGN hRgn = dlg.m_skin.GetBitmap(nEntry).m_hRgn;
    RECT box{};
    if (!hRgn || GetRgnBox(hRgn, &box) == NULLREGION) return false;
    POINT centre{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    if (dlg.m_skin.HitTest(centre) == nEntry) {
        *pPoint = centre;
        return true;
    }
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            if (dlg.m_skin.HitTest(POINT{x, y}) == nEntry) {
                *pPoint = POINT{x, y};
                return true;
            }
    return false;
}

LPARAM Where(POINT pt) { return MAKELPARAM(pt.x, pt.y); }

// Each test in a folder of its own: the window is opened while the current
// directory is an empty folder, then the current directory becomes the
// folder whose bkpic\ the test fills.
class Background : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t szDir[MAX_PATH];
        m_strSavedDir.assign(szDir, GetCurrentDirectoryW(MAX_PATH, szDir));
        m_strRoot = m_folder.Root();
        ASSERT_TRUE(CreateDirectoryW((m_strRoot + L"\\empty").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((m_strRoot + L"\\bkpic").c_str(), nullptr));
        ASSERT_TRUE(SetCurrentDirectoryW((m_strRoot + L"\\empty").c_str()));
        if (!AfxGetApp()) m_pApp = std::make_unique<CWinApp>("background test");
        AfxGetApp()->SetDialogBkColor(kBk, kText);
    }
    void TearDown() override {
        SetCurrentDirectoryW(m_strSavedDir.c_str());
    }

    void AddFile(const std::wstring& strName, const std::string& bytes) {
        ASSERT_TRUE(WriteBytes(m_strRoot + L"\\bkpic\\" + strName, bytes));
    }
    void AddPicture(const std::wstring& strName, int nWidth, int nHeight) {
        AddFile(strName, MakeBmp(nWidth, nHeight));
    }

    // Opens the window modeless with the given client size over the empty
    // folder (the erases of its showing find nothing there and settle the
    // background), then lets it choose again over the test's folder.
    void Open(CTestImportDlg& dlg, int nWidth = 400, int nHeight = 300) {
        ASSERT_TRUE(dlg.Create());
        RECT rcWindow{}, rcClient{};
        GetWindowRect(dlg, &rcWindow);
        GetClientRect(dlg, &rcClient);
        SetWindowPos(dlg, nullptr, 0, 0, nWidth + (rcWindow.right - rcWindow.left) - rcClient.right,
                     nHeight + (rcWindow.bottom - rcWindow.top) - rcClient.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        GetClientRect(dlg, &rcClient);
        ASSERT_EQ(nWidth, rcClient.right);
        ASSERT_EQ(nHeight, rcClient.bottom);
        PumpUntil([] { return false; }, 50);
        ASSERT_EQ(nullptr, dlg.m_dcBackground);
        dlg.m_bBackgroundReady = FALSE;
        ASSERT_TRUE(SetCurrentDirectoryW(m_strRoot.c_str()));
    }

    // One background erase through the window's own DC.
    static BOOL Erase(CTestImportDlg& dlg) {
        HDC hDC = GetDC(dlg);
        BOOL bResult = static_cast<BOOL>(SendMessageW(dlg, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hDC), 0));
        ReleaseDC(dlg, hDC);
        return bResult;
    }

    // What an erase leaves in a client-sized image: pixel reader.
    struct Erased {
        HDC hDC = nullptr;
        HBITMAP hBitmap = nullptr;
        HGDIOBJ hOld = nullptr;
        ~Erased() {
            if (hOld) SelectObject(hDC, hOld);
            if (hDC) DeleteDC(hDC);
            if (hBitmap) DeleteObject(hBitmap);
        }
        COLORREF At(int x, int y) const { return GetPixel(hDC, x, y); }
    };
    static std::unique_ptr<Erased> EraseIntoImage(CTestImportDlg& dlg) {
        auto image = std::make_unique<Erased>();
        RECT rc{};
        GetClientRect(dlg, &rc);
        HDC hScreen = GetDC(nullptr);
        image->hDC = CreateCompatibleDC(hScreen);
        image->hBitmap = CreateCompatibleBitmap(hScreen, rc.right, rc.bottom);
        ReleaseDC(nullptr, hScreen);
        image->hOld = SelectObject(image->hDC, image->hBitmap);
        RECT all{0, 0, rc.right, rc.bottom};
        FillRect(image->hDC, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        SendMessageW(dlg, WM_ERASEBKGND, reinterpret_cast<WPARAM>(image->hDC), 0);
        return image;
    }

    std::unique_ptr<CWinApp> m_pApp;
    CTempFolder m_folder{L"vm-background-"};
    std::wstring m_strSavedDir;
    std::wstring m_strRoot;
};

}  // namespace

// ---- The picture loader

TEST_F(Background, LoaderGivesTheSizeInPixelsAndDrawsUpright) {
    AddPicture(L"one.bmp", 100, 50);
    CPictureLoader loader;
    EXPECT_EQ(0, loader.GetImageSize().cx);
    ASSERT_TRUE(loader.Load(Gbk(m_strRoot + L"\\bkpic\\one.bmp").c_str()));
    SIZE size = loader.GetImageSize();
    EXPECT_EQ(100, size.cx);
    EXPECT_EQ(50, size.cy);

    HDC hScreen = GetDC(nullptr);
    HDC hDC = CreateCompatibleDC(hScreen);
    HBITMAP hBitmap = CreateCompatibleBitmap(hScreen, 101, 51);
    ReleaseDC(nullptr, hScreen);
    HGDIOBJ hOld = SelectObject(hDC, hBitmap);
    RECT rc{0, 0, 0, 0};
    EXPECT_TRUE(loader.Render(hDC, &rc));
    EXPECT_EQ(100, rc.right);  // the empty rectangle became the natural size
    EXPECT_EQ(50, rc.bottom);
    EXPECT_EQ(PictureColour(0, 0), GetPixel(hDC, 0, 0));
    EXPECT_EQ(PictureColour(99, 0), GetPixel(hDC, 99, 0));
    EXPECT_EQ(PictureColour(0, 49), GetPixel(hDC, 0, 49));
    EXPECT_EQ(PictureColour(37, 21), GetPixel(hDC, 37, 21));
    SelectObject(hDC, hOld);
    DeleteObject(hBitmap);
    DeleteDC(hDC);

    loader.Free();
    EXPECT_EQ(nullptr, loader.m_pPicture);
    EXPECT_EQ(0, loader.GetImageSize().cy);
}

TEST_F(Background, LoaderRefusesWhatIsNoPicture) {
    AddFile(L"text.bmp", "not a picture at all");
    AddFile(L"empty.jpg", "");
    CPictureLoader loader;
    EXPECT_FALSE(loader.Load(Gbk(m_strRoot + L"\\bkpic\\text.bmp").c_str()));
    EXPECT_FALSE(loader.Load(Gbk(m_strRoot + L"\\bkpic\\empty.jpg").c_str()));
    EXPECT_FALSE(loader.Load(Gbk(m_strRoot + L"\\bkpic\\missing.bmp").c_str()));
    EXPECT_FALSE(loader.Load(nullptr));
    EXPECT_EQ(nullptr, loader.m_pPicture);
    RECT rc{0, 0, 0, 0};
    HDC hDC = CreateCompatibleDC(nullptr);
    EXPECT_FALSE(loader.Render(hDC, &rc));
    DeleteDC(hDC);
}

TEST_F(Background, LoaderReadsAFileOthersAreReadingAndTheShippedPictures) {
    AddPicture(L"shared.bmp", 20, 10);
    std::wstring strPath = m_strRoot + L"\\bkpic\\shared.bmp";
    HANDLE hReader = CreateFileW(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hReader);
    CPictureLoader loader;
    EXPECT_TRUE(loader.Load(Gbk(strPath).c_str()));
    CloseHandle(hReader);

    // The program's own pictures: JPEG, 600 x 480.
    for (const char* name : {"night.jpg", "dusk.jpg"}) {
        std::string strShipped = std::string(VM_SOURCE_DIR) + "/bkpic/" + name;
        for (char& c : strShipped)
            if (c == '/') c = '\\';
        ASSERT_TRUE(loader.Load(("Z:" + strShipped).c_str())) << name;
        SIZE size = loader.GetImageSize();
        EXPECT_EQ(600, size.cx) << name;
        EXPECT_EQ(480, size.cy) << name;
    }
}

// ---- Choice and composition

TEST_F(Background, APictureIsCentredOnTheDialogColour) {
    AddPicture(L"one.bmp", 100, 50);
    CTestImportDlg dlg;
    Open(dlg);
    {
        MessageBoxCatcher catcher;
        EXPECT_TRUE(Erase(dlg));
        EXPECT_TRUE(catcher.boxes.empty());
    }
    EXPECT_TRUE(dlg.m_bBackgroundReady);
    EXPECT_EQ(100, dlg.m_sizePicture.cx);
    EXPECT_EQ(50, dlg.m_sizePicture.cy);
    ASSERT_NE(nullptr, dlg.m_dcBackground);

    HDC hBack = dlg.m_dcBackground;
    EXPECT_EQ(PictureColour(0, 0), GetPixel(hBack, 150, 125));
    EXPECT_EQ(PictureColour(99, 49), GetPixel(hBack, 249, 174));
    EXPECT_EQ(PictureColour(50, 25), GetPixel(hBack, 200, 150));
    EXPECT_EQ(kBk, GetPixel(hBack, 149, 125));
    EXPECT_EQ(kBk, GetPixel(hBack, 150, 124));
    EXPECT_EQ(kBk, GetPixel(hBack, 250, 174));
    EXPECT_EQ(kBk, GetPixel(hBack, 249, 175));
    EXPECT_EQ(kBk, GetPixel(hBack, 0, 0));
    EXPECT_EQ(kBk, GetPixel(hBack, 399, 299));

    // Every later erase copies the same image; nothing is chosen again.
    HDC hSame = dlg.m_dcBackground;
    auto image = EraseIntoImage(dlg);
    EXPECT_EQ(hSame, dlg.m_dcBackground);
    EXPECT_EQ(PictureColour(0, 0), image->At(150, 125));
    EXPECT_EQ(PictureColour(99, 49), image->At(249, 174));
    EXPECT_EQ(kBk, image->At(149, 125));
    EXPECT_EQ(kBk, image->At(399, 299));
}

TEST_F(Background, ALargerPictureIsCutEquallyOnAllSides) {
    AddPicture(L"large.bmp", 500, 400);
    CTestImportDlg dlg;
    Open(dlg);
    Erase(dlg);
    ASSERT_NE(nullptr, dlg.m_dcBackground);
    EXPECT_EQ(PictureColour(50, 50), GetPixel(dlg.m_dcBackground, 0, 0));
    EXPECT_EQ(PictureColour(449, 349), GetPixel(dlg.m_dcBackground, 399, 299));
    EXPECT_EQ(PictureColour(250, 200), GetPixel(dlg.m_dcBackground, 200, 150));
}

TEST_F(Background, OddDifferencesAreHalvedTowardZero) {
    AddPicture(L"odd.bmp", 101, 51);
    CTestImportDlg small;
    Open(small);
    Erase(small);
    ASSERT_NE(nullptr, small.m_dcBackground);
    EXPECT_EQ(PictureColour(0, 0), GetPixel(small.m_dcBackground, 149, 124));  // 299 / 2, 249 / 2
    EXPECT_EQ(kBk, GetPixel(small.m_dcBackground, 148, 124));
    EXPECT_EQ(kBk, GetPixel(small.m_dcBackground, 149, 123));

    // One pixel larger than the client: -1 / 2 is 0, the picture starts at 0.
    ASSERT_TRUE(SetCurrentDirectoryW((m_strRoot + L"\\empty").c_str()));
    ASSERT_TRUE(DeleteFileW((m_strRoot + L"\\bkpic\\odd.bmp").c_str()));
    AddPicture(L"over.bmp", 401, 301);
    CTestImportDlg large;
    Open(large);
    Erase(large);
    ASSERT_NE(nullptr, large.m_dcBackground);
    EXPECT_EQ(PictureColour(0, 0), GetPixel(large.m_dcBackground, 0, 0));
    EXPECT_EQ(PictureColour(399, 299), GetPixel(large.m_dcBackground, 399, 299));
}

TEST_F(Background, ThumbnailCacheSettingsAndFoldersAreNeverChosen) {
    AddFile(L"Thumbs.db", "thumbnail cache, no picture");
    AddFile(L"old Thumbs.db.bak", "no picture");
    AddFile(L"Versemill.ini", "[Dialog]\r\nTextColor=FFFFFF\r\n");
    AddFile(L"OTHER.INI", "[Dialog]\r\n");
    ASSERT_TRUE(CreateDirectoryW((m_strRoot + L"\\bkpic\\folder.bmp").c_str(), nullptr));
    CTestImportDlg dlg;
    Open(dlg);
    MessageBoxCatcher catcher;
    EXPECT_TRUE(Erase(dlg));
    EXPECT_TRUE(catcher.boxes.empty());
    EXPECT_TRUE(dlg.m_bBackgroundReady);  // nothing to load: settled
    EXPECT_FALSE(dlg.m_bBackgroundFailed);
    EXPECT_EQ(nullptr, dlg.m_dcPicture);
    EXPECT_EQ(nullptr, dlg.m_dcBackground);
    // The default erase stays: the plain dialog colour.
    auto image = EraseIntoImage(dlg);
    EXPECT_EQ(kBk, image->At(200, 150));
    EXPECT_TRUE(catcher.boxes.empty());

    // With a picture beside them the picture is the only candidate.
    AddPicture(L"one.bmp", 100, 50);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(SetCurrentDirectoryW((m_strRoot + L"\\empty").c_str()));
        CTestImportDlg again;
        Open(again);
        Erase(again);
        ASSERT_NE(nullptr, again.m_dcBackground);
        EXPECT_EQ(PictureColour(0, 0), GetPixel(again.m_dcBackground, 150, 125));
    }
    EXPECT_TRUE(catcher.boxes.empty());
}

TEST_F(Background, AFileThatIsNoPictureIsReportedOnce) {
    AddFile(L"thumbs.db", "another case: a candidate, and no picture");
    CTestImportDlg dlg;
    Open(dlg);
    MessageBoxCatcher catcher;
    EXPECT_FALSE(Erase(dlg));
    ASSERT_EQ(1u, catcher.boxes.size());
    EXPECT_EQ(L"读图片出错!\n---Quillan", catcher.boxes[0].text);
    EXPECT_EQ(dlg.m_hWnd, catcher.boxes[0].owner);
    EXPECT_FALSE(catcher.boxes[0].hasCancel);
    EXPECT_FALSE(dlg.m_bBackgroundReady);
    EXPECT_TRUE(dlg.m_bBackgroundFailed);
    EXPECT_EQ(nullptr, dlg.m_dcBackground);

    // Later erases, the window's own repaints among them, keep the plain
    // background without another message.
    for (int i = 0; i < 3; ++i) Erase(dlg);
    RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(1u, catcher.boxes.size());
    auto image = EraseIntoImage(dlg);
    EXPECT_EQ(kBk, image->At(200, 150));
    EXPECT_EQ(nullptr, dlg.m_dcBackground);
}

TEST_F(Background, NamesTooLongForTheProgramAreLeftOut) {
    // 120 bytes: left out, though it is a picture. Nothing else: plain.
    std::wstring strTooLong = std::wstring(116, L'a') + L".bmp";
    AddPicture(strTooLong, 100, 50);
    CTestImportDlg dlg;
    Open(dlg);
    MessageBoxCatcher catcher;
    Erase(dlg);
    EXPECT_TRUE(catcher.boxes.empty());
    EXPECT_TRUE(dlg.m_bBackgroundReady);
    EXPECT_EQ(nullptr, dlg.m_dcBackground);

    // 119 bytes, with double-byte characters: taken.
    ASSERT_TRUE(DeleteFileW((m_strRoot + L"\\bkpic\\" + strTooLong).c_str()));
    std::wstring strLongest = std::wstring(5, L'\u80cc') + std::wstring(105, L'b') + L".bmp";  // 背
    ASSERT_EQ(119u, Gbk(strLongest).size());
    AddPicture(strLongest, 100, 50);
    ASSERT_TRUE(SetCurrentDirectoryW((m_strRoot + L"\\empty").c_str()));
    CTestImportDlg longest;
    Open(longest);
    Erase(longest);
    EXPECT_TRUE(catcher.boxes.empty());
    ASSERT_NE(nullptr, longest.m_dcBackground);
    EXPECT_EQ(PictureColour(0, 0), GetPixel(longest.m_dcBackground, 150, 125));
}

TEST_F(Background, AChineseFileNameIsLoaded) {
    AddPicture(L"\u80cc\u666f.bmp", 100, 50);  // 背景.bmp
    CTestImportDlg dlg;
    Open(dlg);
    MessageBoxCatcher catcher;
    Erase(dlg);
    EXPECT_TRUE(catcher.boxes.empty());
    ASSERT_NE(nullptr, dlg.m_dcBackground);
    EXPECT_EQ(PictureColour(99, 49), GetPixel(dlg.m_dcBackground, 249, 174));
}

TEST_F(Background, StaticTextsAreDrawnTransparentlyInTheTextColour) {
    CTestImportDlg dlg;
    Open(dlg);
    HDC hDC = GetDC(dlg);
    SetBkMode(hDC, OPAQUE);
    HWND hLabel = GetDlgItem(dlg, IDC_MP3_COUNT);
    LRESULT r = SendMessageW(dlg, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC),
                             reinterpret_cast<LPARAM>(hLabel));
    EXPECT_EQ(reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)), r);
    EXPECT_EQ(TRANSPARENT, GetBkMode(hDC));
    EXPECT_EQ(kText, GetTextColor(hDC));

    // The dialog itself keeps the framework's solid brush.
    SetBkMode(hDC, OPAQUE);
    r = SendMessageW(dlg, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(hDC), reinterpret_cast<LPARAM>(dlg.m_hWnd));
    LOGBRUSH lb{};
    ASSERT_EQ(static_cast<int>(sizeof lb), GetObjectW(reinterpret_cast<HBRUSH>(r), sizeof lb, &lb));
    EXPECT_EQ(static_cast<UINT>(BS_SOLID), lb.lbStyle);
    EXPECT_EQ(kBk, lb.lbColor);
    EXPECT_EQ(OPAQUE, GetBkMode(hDC));

    // A list box keeps the system's colours, never the hollow brush.
    r = SendMessageW(dlg, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(hDC),
                     reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDC_MP3_LIST)));
    EXPECT_NE(reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)), r);
    ReleaseDC(dlg, hDC);
}

// ---- Hot regions

TEST_F(Background, AReleaseActsOnlyOverAPictureShapeWhereverThePressBegan) {
    CTestImportDlg dlg;
    Open(dlg, 600, 520);
    POINT ptStart, ptExit;
    ASSERT_TRUE(OpaquePoint(dlg, kStartEntry, &ptStart));
    ASSERT_TRUE(OpaquePoint(dlg, kExitEntry, &ptExit));
    POINT ptGround = ControlTopLeft(dlg, IDOK);  // the start picture's transparent corner
    ASSERT_EQ(-1, dlg.m_skin.HitTest(ptGround));

    SendMessageW(dlg, WM_LBUTTONDOWN, MK_LBUTTON, Where(ptStart));
    SendMessageW(dlg, WM_LBUTTONUP, 0, Where(ptGround));
    EXPECT_EQ(0, dlg.m_nOK);
    EXPECT_EQ(0, dlg.m_nCancel);

    // Pressed on the start picture, released on the exit picture: exit.
    SendMessageW(dlg, WM_LBUTTONDOWN, MK_LBUTTON, Where(ptStart));
    SendMessageW(dlg, WM_LBUTTONUP, 0, Where(ptExit));
    EXPECT_EQ(0, dlg.m_nOK);
    EXPECT_EQ(1, dlg.m_nCancel);

    // Pressed on no picture at all, released on the start picture: start.
    SendMessageW(dlg, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(dlg, WM_LBUTTONUP, 0, Where(ptStart));
    EXPECT_EQ(1, dlg.m_nOK);
    EXPECT_EQ(1, dlg.m_nCancel);
}

TEST_F(Background, TheArrowComesBackOnceWhenThePointerLeavesAPicture) {
    CTestImportDlg dlg;
    Open(dlg, 600, 520);
    POINT ptStart;
    ASSERT_TRUE(OpaquePoint(dlg, kStartEntry, &ptStart));
    POINT ptGround = ControlTopLeft(dlg, IDOK);
    HCURSOR hArrow = LoadCursorW(nullptr, IDC_ARROW);
    HCURSOR hCross = LoadCursorW(nullptr, IDC_CROSS);
    ASSERT_NE(nullptr, dlg.m_skin.m_hHandCursor);

    SendMessageW(dlg, WM_MOUSEMOVE, 0, Where(ptStart));
    EXPECT_EQ(dlg.m_skin.m_hHandCursor, GetCursor());
    SetCursor(hCross);
    SendMessageW(dlg, WM_MOUSEMOVE, 0, Where(ptGround));
    EXPECT_EQ(hArrow, GetCursor());
    // Off the pictures already: the cursor is left alone.
    SetCursor(hCross);
    SendMessageW(dlg, WM_MOUSEMOVE, 0, Where(ptGround));
    SendMessageW(dlg, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(hCross, GetCursor());
    SetCursor(hArrow);
}

TEST_F(Background, TheExitPictureClosesTheWindow) {
    CTestImportDlg dlg;
    dlg.m_bRunCommands = true;
    POINT ptExit{};
    bool bFound = false;
    TimedSteps steps({
        [&] { return dlg.m_hWnd != nullptr && IsWindowVisible(dlg); },
        [&] {
            bFound = OpaquePoint(dlg, kExitEntry, &ptExit);
            if (bFound)
                SendMessageW(dlg, WM_LBUTTONUP, 0, Where(ptExit));
            else
                PostMessageW(dlg, WM_CLOSE, 0, 0);
            return true;
        },
    });
    MessageBoxCatcher catcher;
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_TRUE(bFound);
    EXPECT_EQ(1, dlg.m_nCancel);
    EXPECT_EQ(0, dlg.m_nOK);
}

TEST_F(Background, TheStartPictureWithEmptyListsAsksForLyricsFirst) {
    CTestImportDlg dlg;
    dlg.m_bRunCommands = true;
    bool bFound = false;
    MessageBoxCatcher catcher;
    TimedSteps steps({
        [&] { return dlg.m_hWnd != nullptr && IsWindowVisible(dlg); },
        [&] {
            POINT ptStart;
            bFound = OpaquePoint(dlg, kStartEntry, &ptStart);
            if (bFound) SendMessageW(dlg, WM_LBUTTONUP, 0, Where(ptStart));
            return true;
        },
        [&] {
            PostMessageW(dlg, WM_CLOSE, 0, 0);
            return true;
        },
    });
    dlg.DoModal();
    EXPECT_TRUE(bFound);
    EXPECT_EQ(1, dlg.m_nOK);
    ASSERT_EQ(1u, catcher.boxes.size());
    EXPECT_EQ(L"请先选择\"添加歌词\"按钮加入LRC歌词文件\n---Quillan", catcher.boxes[0].text);
}
