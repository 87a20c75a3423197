#include "skin/skinned_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resource.h"
#include "skin_test_bitmaps.h"

namespace {

// The time-shift template: hidden buttons IDOK and IDCANCEL as placeholders.
class CTestSkinDlg : public CSkinnedDialog {
public:
    static BOOL s_bHandShown;

    explicit CTestSkinDlg(CSkinButtons::CursorMode mode = CSkinButtons::CURSOR_HAND_ONLY)
        : CSkinnedDialog(IDD_LYRIC_TIME, nullptr, &s_bHandShown, mode) {}
    ~CTestSkinDlg() override {
        if (m_hWnd) DestroyWindow();
    }

    CSkinButtons& Skin() { return m_skin; }

    // Adds an entry whose action notes its name.
    int AddNoting(UINT nBitmap, int nPlaceholder, const std::string& name,
                  UINT nFlags = CSkinButtons::SKIN_DRAWN_AND_HIT) {
        return m_skin.Add(nBitmap, nPlaceholder, [this, name] { m_actions.push_back(name); },
                          nFlags);
    }

    POINT PlaceholderTopLeft(int nID) const {
        RECT rect;
        ::GetWindowRect(::GetDlgItem(m_hWnd, nID), &rect);
        POINT pt = {rect.left, rect.top};
        ::ScreenToClient(m_hWnd, &pt);
        return pt;
    }

    void Send(UINT msg, POINT pt, WPARAM flags = 0) {
        SendMessage(msg, flags, MAKELPARAM(pt.x, pt.y));
    }

    std::vector<std::string> m_actions;
};

BOOL CTestSkinDlg::s_bHandShown = FALSE;

POINT Offset(POINT pt, int dx, int dy) {
    return POINT{pt.x + dx, pt.y + dy};
}

// The middle of every picture is its star; the corners are the ground.
const int kMiddle = 38;

class SkinnedDialog : public ::testing::Test {
protected:
    void SetUp() override { CTestSkinDlg::s_bHandShown = FALSE; }
};

} // namespace

TEST_F(SkinnedDialog, ReleaseOnTheGroundDoesNothingOnTheStarRunsTheAction) {
    CTestSkinDlg dlg;
    dlg.AddNoting(IDB_OK, IDOK, "ok");
    dlg.AddNoting(IDB_EXIT, IDCANCEL, "exit");
    ASSERT_TRUE(dlg.Create());

    POINT ok = dlg.PlaceholderTopLeft(IDOK);
    POINT exit = dlg.PlaceholderTopLeft(IDCANCEL);
    dlg.Send(WM_LBUTTONUP, ok);                  // the picture's corner: ground
    dlg.Send(WM_LBUTTONUP, Offset(ok, 76, 76));
    EXPECT_TRUE(dlg.m_actions.empty());

    // Pressed far from any picture, released on the star.
    dlg.Send(WM_LBUTTONDOWN, POINT{1, 1}, MK_LBUTTON);
    dlg.Send(WM_LBUTTONUP, Offset(ok, kMiddle, kMiddle));
    dlg.Send(WM_LBUTTONUP, Offset(exit, kMiddle, kMiddle));
    EXPECT_EQ((std::vector<std::string>{"ok", "exit"}), dlg.m_actions);
}

TEST_F(SkinnedDialog, ClicksFollowThePictureShapeNotItsRectangle) {
    CTestSkinDlg dlg;
    dlg.AddNoting(IDB_OK, IDOK, "ok");
    ASSERT_TRUE(dlg.Create());
    POINT ok = dlg.PlaceholderTopLeft(IDOK);

    CSkinBitmap shape;
    ASSERT_TRUE(shape.LoadBitmap(IDB_OK));
    skintest::CPixelReader pixels(shape.m_hObject);
    int nGround = 0, nStar = 0;
    for (int y = 0; y < 77; y += 4)
        for (int x = 0; x < 77; x += 4) {
            bool bGround = pixels.At(x, y) == skintest::GROUND;
            dlg.m_actions.clear();
            dlg.Send(WM_LBUTTONUP, Offset(ok, x, y));
            EXPECT_EQ(bGround ? 0u : 1u, dlg.m_actions.size()) << x << "," << y;
            (bGround ? nGround : nStar)++;
        }
    EXPECT_GT(nGround, 0);
    EXPECT_GT(nStar, 0);
}

TEST_F(SkinnedDialog, FirstShapeInListOrderWins) {
    CTestSkinDlg dlg;
    dlg.AddNoting(IDB_MODIFY, IDOK, "first");
    int nSecond = dlg.AddNoting(IDB_OK, IDOK, "second");
    ASSERT_TRUE(dlg.Create());
    POINT middle = Offset(dlg.PlaceholderTopLeft(IDOK), kMiddle, kMiddle);

    dlg.Send(WM_LBUTTONUP, middle);
    EXPECT_EQ((std::vector<std::string>{"first"}), dlg.m_actions);
    EXPECT_EQ(0, dlg.Skin().HitTest(middle));

    // Taken out of the tests, the first gives way to the second.
    dlg.Skin().SetHit(0, false);
    dlg.Send(WM_LBUTTONUP, middle);
    EXPECT_EQ((std::vector<std::string>{"first", "second"}), dlg.m_actions);
    EXPECT_EQ(nSecond, dlg.Skin().HitTest(middle));
}

TEST_F(SkinnedDialog, MissingPictureOrPlaceholderIsNeitherDrawnNorClickable) {
    CTestSkinDlg dlg;
    dlg.AddNoting(60000, IDOK, "missing picture");     // no such bitmap
    dlg.AddNoting(IDB_OK, 4711, "missing placeholder"); // no such control
    dlg.AddNoting(IDB_EXIT, IDCANCEL, "exit");
    ASSERT_TRUE(dlg.Create());
    dlg.Send(WM_LBUTTONUP, Offset(dlg.PlaceholderTopLeft(IDOK), kMiddle, kMiddle));
    dlg.Send(WM_LBUTTONUP, Offset(POINT{0, 0}, kMiddle, kMiddle));
    EXPECT_TRUE(dlg.m_actions.empty());
    dlg.Send(WM_LBUTTONUP, Offset(dlg.PlaceholderTopLeft(IDCANCEL), kMiddle, kMiddle));
    EXPECT_EQ((std::vector<std::string>{"exit"}), dlg.m_actions);
}

TEST_F(SkinnedDialog, HandCursorOverAShape) {
    CTestSkinDlg dlg;
    dlg.AddNoting(IDB_OK, IDOK, "ok");
    ASSERT_TRUE(dlg.Create());
    POINT ok = dlg.PlaceholderTopLeft(IDOK);
    ASSERT_NE(nullptr, dlg.Skin().m_hHandCursor);
    EXPECT_EQ(LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HAND_CURSOR)),
              dlg.Skin().m_hHandCursor);

    dlg.Send(WM_MOUSEMOVE, ok);
    EXPECT_FALSE(CTestSkinDlg::s_bHandShown);
    dlg.Send(WM_MOUSEMOVE, Offset(ok, kMiddle, kMiddle));
    EXPECT_TRUE(CTestSkinDlg::s_bHandShown);
    EXPECT_EQ(dlg.Skin().m_hHandCursor, GetCursor());
    // Off the shape this dialog leaves the cursor to the system: the flag stays.
    dlg.Send(WM_MOUSEMOVE, ok);
    EXPECT_TRUE(CTestSkinDlg::s_bHandShown);
    EXPECT_TRUE(dlg.m_actions.empty());
}

TEST_F(SkinnedDialog, ArrowRestoredOnceWhenLeavingAShape) {
    HCURSOR hArrow = LoadCursorW(nullptr, IDC_ARROW);
    CTestSkinDlg dlg(CSkinButtons::CURSOR_RESTORE_ARROW);
    dlg.AddNoting(IDB_OK, IDOK, "ok");
    ASSERT_TRUE(dlg.Create());
    POINT ok = dlg.PlaceholderTopLeft(IDOK);

    dlg.Send(WM_MOUSEMOVE, Offset(ok, kMiddle, kMiddle));
    EXPECT_TRUE(CTestSkinDlg::s_bHandShown);
    EXPECT_EQ(dlg.Skin().m_hHandCursor, GetCursor());
    dlg.Send(WM_MOUSEMOVE, ok);
    EXPECT_FALSE(CTestSkinDlg::s_bHandShown);
    EXPECT_EQ(hArrow, GetCursor());

    // The flag is the dialog class's: a second dialog of the class sees it.
    dlg.Send(WM_MOUSEMOVE, Offset(ok, kMiddle, kMiddle));
    CTestSkinDlg other(CSkinButtons::CURSOR_RESTORE_ARROW);
    other.AddNoting(IDB_OK, IDOK, "ok");
    ASSERT_TRUE(other.Create());
    SetCursor(dlg.Skin().m_hHandCursor);
    other.Send(WM_MOUSEMOVE, POINT{1, 1});
    EXPECT_FALSE(CTestSkinDlg::s_bHandShown);
    EXPECT_EQ(hArrow, GetCursor());
}

// Paints the dialog's pictures into a memory bitmap of its client size.
class CPaintedClient {
public:
    CPaintedClient(HWND hWnd, const CSkinButtons& skin) {
        RECT rc;
        ::GetClientRect(hWnd, &rc);
        m_hBitmap = skintest::MakeSolid(rc.right, rc.bottom, RGB(0, 0, 0));
        m_pPixels = new skintest::CPixelReader(m_hBitmap);
        skin.Paint(m_pPixels->Dc());
    }
    ~CPaintedClient() {
        delete m_pPixels;
        DeleteObject(m_hBitmap);
    }
    COLORREF At(POINT pt) const { return m_pPixels->At(pt.x, pt.y); }
    // The 77 x 77 block at topLeft, row by row.
    std::vector<COLORREF> Block(POINT topLeft) const {
        std::vector<COLORREF> block;
        for (int y = 0; y < 77; ++y)
            for (int x = 0; x < 77; ++x) block.push_back(m_pPixels->At(topLeft.x + x, topLeft.y + y));
        return block;
    }

private:
    HBITMAP m_hBitmap;
    skintest::CPixelReader* m_pPixels;
};

// A picture as DrawAt leaves it on black, row by row.
std::vector<COLORREF> PictureOnBlack(UINT nBitmap) {
    std::vector<COLORREF> block;
    CSkinBitmap picture;
    if (!picture.LoadBitmap(nBitmap)) return block;
    HBITMAP hGround = skintest::MakeSolid(77, 77, RGB(0, 0, 0));
    {
        skintest::CPixelReader pixels(hGround);
        picture.DrawAt(pixels.Dc(), 0, 0);
        for (int y = 0; y < 77; ++y)
            for (int x = 0; x < 77; ++x) block.push_back(pixels.At(x, y));
    }
    DeleteObject(hGround);
    return block;
}

TEST_F(SkinnedDialog, PictureChangingInPlaceKeepsTheTestedShape) {
    // Two pictures on one placeholder: 修改 drawn at first, 确定's shape tested.
    CTestSkinDlg dlg;
    int nConfirm = dlg.AddNoting(IDB_OK, IDOK, "confirm", CSkinButtons::SKIN_HIT);
    int nModify = dlg.AddNoting(IDB_MODIFY, IDOK, "modify", CSkinButtons::SKIN_DRAWN);
    dlg.AddNoting(IDB_EXIT, IDCANCEL, "exit");
    ASSERT_TRUE(dlg.Create());
    POINT ok = dlg.PlaceholderTopLeft(IDOK);
    POINT exit = dlg.PlaceholderTopLeft(IDCANCEL);
    std::vector<COLORREF> modify = PictureOnBlack(IDB_MODIFY), confirm = PictureOnBlack(IDB_OK);
    ASSERT_EQ(77u * 77u, modify.size());
    ASSERT_NE(modify, confirm);

    {
        CPaintedClient painted(dlg.m_hWnd, dlg.Skin());
        EXPECT_TRUE(painted.Block(ok) == modify);
        EXPECT_EQ(RGB(0, 0, 0), painted.At(ok));  // ground left unpainted
        EXPECT_TRUE(painted.Block(exit) == PictureOnBlack(IDB_EXIT));
    }
    dlg.Send(WM_LBUTTONUP, Offset(ok, kMiddle, kMiddle));
    EXPECT_EQ((std::vector<std::string>{"confirm"}), dlg.m_actions);

    dlg.Skin().SetDrawn(nModify, false);
    dlg.Skin().SetDrawn(nConfirm, true);
    EXPECT_TRUE(dlg.Skin().IsDrawn(nConfirm));
    EXPECT_FALSE(dlg.Skin().IsHit(nModify));
    {
        CPaintedClient painted(dlg.m_hWnd, dlg.Skin());
        EXPECT_TRUE(painted.Block(ok) == confirm);
    }
    dlg.Send(WM_LBUTTONUP, Offset(ok, kMiddle, kMiddle));
    EXPECT_EQ((std::vector<std::string>{"confirm", "confirm"}), dlg.m_actions);
}

TEST_F(SkinnedDialog, OpeningAgainBuildsTheShapesAnew) {
    CTestSkinDlg dlg;
    dlg.AddNoting(IDB_OK, IDOK, "ok");
    ASSERT_TRUE(dlg.Create());
    POINT middle = Offset(dlg.PlaceholderTopLeft(IDOK), kMiddle, kMiddle);
    dlg.Skin().Open(dlg.m_hWnd);  // not moved twice
    dlg.Send(WM_LBUTTONUP, middle);
    EXPECT_EQ(1u, dlg.m_actions.size());
}

TEST(SkinButtons, ActionMayCloseTheDialog) {
    CTestSkinDlg dlg;
    CTestSkinDlg* pDlg = &dlg;
    dlg.Skin().Add(IDB_EXIT, IDCANCEL, [pDlg] { pDlg->DestroyWindow(); });
    ASSERT_TRUE(dlg.Create());
    HWND hWnd = dlg.m_hWnd;
    POINT exit = dlg.PlaceholderTopLeft(IDCANCEL);
    SendMessageW(hWnd, WM_LBUTTONUP, 0, MAKELPARAM(exit.x + kMiddle, exit.y + kMiddle));
    EXPECT_FALSE(IsWindow(hWnd));
}

TEST_F(SkinnedDialog, PaintMessageDrawsThePicturesOverTheBackground) {
    CTestSkinDlg dlg;
    dlg.AddNoting(IDB_OK, IDOK, "ok");
    dlg.AddNoting(IDB_EXIT, IDCANCEL, "exit");
    ASSERT_TRUE(dlg.Create());
    // A plain popup on screen: nothing for a window manager to wait on.
    SetWindowLongPtrW(dlg.m_hWnd, GWL_STYLE, WS_POPUP);
    SetWindowPos(dlg.m_hWnd, HWND_TOP, 10, 10, 400, 300, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    dlg.UpdateWindow();

    CSkinBitmap raw;
    ASSERT_TRUE(raw.LoadBitmap(IDB_OK));
    skintest::CPixelReader picture(raw.m_hObject);
    POINT at = dlg.PlaceholderTopLeft(IDOK);
    HDC hDC = GetDC(dlg.m_hWnd);
    COLORREF crBackground = GetPixel(hDC, 1, 1);
    EXPECT_NE(skintest::GROUND, crBackground);
    int nStar = 0;
    for (int y = 0; y < 77; y += 3)
        for (int x = 0; x < 77; x += 3) {
            COLORREF own = picture.At(x, y);
            COLORREF shown = GetPixel(hDC, at.x + x, at.y + y);
            if (own == skintest::GROUND) {
                EXPECT_EQ(crBackground, shown) << x << "," << y;  // ground not painted
            } else {
                EXPECT_EQ(own, shown) << x << "," << y;
                ++nStar;
            }
        }
    ReleaseDC(dlg.m_hWnd, hDC);
    EXPECT_GT(nStar, 100);
}
