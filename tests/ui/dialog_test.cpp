// Dialogs: modal and modeless runs and their results, the data exchange
// with its messages, the program's dialog colours, plain message boxes.
#include <gtest/gtest.h>

#include <string>

#include "test_resource.h"
#include "ui/app.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/message_box.h"
#include "ui/text.h"
#include "ui_test_util.h"

namespace {

// The application object of this test program.
CWinApp s_app("UiTest");

class CDataDlg : public CDialog {
 public:
  CDataDlg() : CDialog(IDD_TEST_DATA) {}
  int m_nNumber = 50;
  int m_nPlain = 1;
  std::string m_strName;
  int m_nCheck = 0;
  int initCalls = 0;

 protected:
  BOOL OnInitDialog() override {
    ++initCalls;
    return CDialog::OnInitDialog();
  }
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Text(pDX, IDC_TEST_NUMBER, m_nNumber);
    DDV_MinMaxInt(pDX, m_nNumber, 0, 1000);
    DDX_Text(pDX, IDC_TEST_PLAIN_NUMBER, m_nPlain);
    DDX_Text(pDX, IDC_TEST_NAME, m_strName);
    DDX_Check(pDX, IDC_TEST_CHECK, m_nCheck);
  }
};

class DataExchange : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dlg.m_strName = G("晚风");
    ASSERT_TRUE(m_dlg.Create(IDD_TEST_DATA));
  }
  void TearDown() override { m_dlg.DestroyWindow(); }
  std::string Text(int id) { return m_dlg.GetDlgItemText(id); }
  HWND Item(int id) { return ::GetDlgItem(m_dlg, id); }
  CDataDlg m_dlg;
};

TEST_F(DataExchange, OpeningFillsTheControls) {
  EXPECT_EQ(1, m_dlg.initCalls);
  EXPECT_EQ("50", Text(IDC_TEST_NUMBER));
  EXPECT_EQ("1", Text(IDC_TEST_PLAIN_NUMBER));
  EXPECT_EQ(G("晚风"), Text(IDC_TEST_NAME));
  m_dlg.m_nNumber = -12;
  m_dlg.m_nCheck = 1;
  m_dlg.m_strName = G("第二辑");
  EXPECT_TRUE(m_dlg.UpdateData(false));  // filling never checks ranges
  EXPECT_EQ("-12", Text(IDC_TEST_NUMBER));
  EXPECT_EQ(G("第二辑"), Text(IDC_TEST_NAME));
  EXPECT_EQ(static_cast<UINT>(BST_CHECKED), m_dlg.IsDlgButtonChecked(IDC_TEST_CHECK));
}

TEST_F(DataExchange, ReadingTakesIntegersTextAndChecks) {
  m_dlg.SetDlgItemText(IDC_TEST_NUMBER, " +1000 ");
  m_dlg.SetDlgItemText(IDC_TEST_PLAIN_NUMBER, "-2147483648");
  m_dlg.SetDlgItemText(IDC_TEST_NAME, G("歌手 - 歌名.mp3"));
  m_dlg.CheckDlgButton(IDC_TEST_CHECK, BST_CHECKED);
  MessageBoxCatcher catcher;
  EXPECT_TRUE(m_dlg.UpdateData(true));
  EXPECT_TRUE(catcher.boxes.empty());
  EXPECT_EQ(1000, m_dlg.m_nNumber);
  EXPECT_EQ(-2147483647 - 1, m_dlg.m_nPlain);
  EXPECT_EQ(G("歌手 - 歌名.mp3"), m_dlg.m_strName);
  EXPECT_EQ(1, m_dlg.m_nCheck);
}

TEST_F(DataExchange, TextThatIsNoIntegerIsRefusedWithTheMessage) {
  const std::string bads[] = {"abc", "", "12x", "1 2", "0x10", "2147483648", "-", G("５")};
  for (const std::string& bad : bads) {
    m_dlg.SetDlgItemText(IDC_TEST_NUMBER, "7");
    m_dlg.SetDlgItemText(IDC_TEST_PLAIN_NUMBER, bad);
    m_dlg.SetDlgItemText(IDC_TEST_NAME, "kept");
    m_dlg.m_strName = "before";
    ::SetFocus(Item(IDC_TEST_NAME));
    MessageBoxCatcher catcher;
    EXPECT_FALSE(m_dlg.UpdateData(true)) << bad;
    ASSERT_EQ(1u, catcher.boxes.size()) << bad;
    EXPECT_EQ(L"请键入一个整数。", catcher.boxes[0].text);
    EXPECT_FALSE(catcher.boxes[0].hasCancel);
    EXPECT_EQ(m_dlg.m_hWnd, catcher.boxes[0].owner);
    EXPECT_EQ(Item(IDC_TEST_PLAIN_NUMBER), ::GetFocus()) << bad;  // the focus goes to the edit
    EXPECT_EQ(7, m_dlg.m_nNumber);          // read before the failure
    EXPECT_EQ("before", m_dlg.m_strName);   // later controls are not read
  }
}

TEST_F(DataExchange, AValueOutOfRangeIsRefusedWithTheBounds) {
  for (const char* bad : {"1001", "-1", "5000"}) {
    m_dlg.SetDlgItemText(IDC_TEST_NUMBER, bad);
    m_dlg.SetDlgItemText(IDC_TEST_PLAIN_NUMBER, "3");
    m_dlg.m_nPlain = 99;
    MessageBoxCatcher catcher;
    EXPECT_FALSE(m_dlg.UpdateData(true));
    ASSERT_EQ(1u, catcher.boxes.size());
    EXPECT_EQ(L"请填入一个在0和1000之间的整数。", catcher.boxes[0].text);
    EXPECT_EQ(Item(IDC_TEST_NUMBER), ::GetFocus());
    EXPECT_EQ(std::atoi(bad), m_dlg.m_nNumber);  // the value stays as read
    EXPECT_EQ(99, m_dlg.m_nPlain);               // the next edit is not read
    DWORD selStart = 0, selEnd = 0;
    ::SendMessageW(Item(IDC_TEST_NUMBER), EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
                   reinterpret_cast<LPARAM>(&selEnd));
    EXPECT_EQ(0u, selStart);  // its text selected for retyping
    EXPECT_EQ(static_cast<DWORD>(std::string(bad).size()), selEnd);
  }
}

TEST(ModalDialog, OkWithABadValueKeepsTheDialogOpenUntilItIsRight) {
  CDataDlg dlg;
  MessageBoxCatcher catcher;
  bool stillOpenAfterMessage = false;
  int focusIdAfterMessage = 0;
  TimedSteps steps({
      [&] { return dlg.m_hWnd && ::IsWindowVisible(dlg); },
      [&] {
        dlg.SetDlgItemText(IDC_TEST_NUMBER, "2000");
        ::PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        return true;
      },
      [&] { return !catcher.boxes.empty() && !::IsWindow(catcher.boxes[0].hWnd); },
      [&] {
        stillOpenAfterMessage = dlg.m_hWnd && ::IsWindowVisible(dlg);
        HWND hFocus = ::GetFocus();
        focusIdAfterMessage = ::GetParent(hFocus) == dlg.m_hWnd ? ::GetDlgCtrlID(hFocus) : -1;
        dlg.SetDlgItemText(IDC_TEST_NUMBER, "999");
        dlg.SetDlgItemText(IDC_TEST_NAME, G("月光小路"));
        ::PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        return true;
      },
  });
  EXPECT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ(nullptr, dlg.m_hWnd);
  ASSERT_EQ(1u, catcher.boxes.size());
  EXPECT_EQ(L"请填入一个在0和1000之间的整数。", catcher.boxes[0].text);
  EXPECT_TRUE(stillOpenAfterMessage);
  EXPECT_EQ(IDC_TEST_NUMBER, focusIdAfterMessage);
  EXPECT_EQ(999, dlg.m_nNumber);
  EXPECT_EQ(G("月光小路"), dlg.m_strName);
}

class CEndingDlg : public CDialog {
 public:
  CEndingDlg() : CDialog(IDD_TEST_DATA) {}
  HWND ownerDuringRun = nullptr;
  bool ownerEnabledDuringRun = true;

 protected:
  LRESULT OnEndWith(WPARAM wParam, LPARAM) {
    ownerDuringRun = ::GetWindow(m_hWnd, GW_OWNER);
    ownerEnabledDuringRun = ownerDuringRun && ::IsWindowEnabled(ownerDuringRun);
    EndDialog(static_cast<int>(wParam));
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CEndingDlg, CDialog)
  ON_MESSAGE(WM_APP + 1, &CEndingDlg::OnEndWith)
END_MESSAGE_MAP()

TEST(ModalDialog, RunReturnsTheEndDialogResult) {
  CEndingDlg dlg;
  TimedSteps steps({[&] { return dlg.m_hWnd && ::PostMessageW(dlg, WM_APP + 1, 42, 0); }});
  EXPECT_EQ(42, dlg.DoModal());
  EXPECT_EQ(nullptr, dlg.m_hWnd);
  EXPECT_EQ(nullptr, dlg.ownerDuringRun);  // no parent, no main window
}

TEST(ModalDialog, CloseAndEscapeCancel) {
  for (UINT how : {0u, 1u}) {
    CDataDlg dlg;
    TimedSteps steps({[&] {
      if (!dlg.m_hWnd) return false;
      if (how == 0) ::PostMessageW(dlg, WM_CLOSE, 0, 0);
      else ::PostMessageW(::GetDlgItem(dlg, IDC_TEST_NAME), WM_KEYDOWN, VK_ESCAPE, 0);
      return true;
    }});
    dlg.m_strName = "unchanged";
    EXPECT_EQ(IDCANCEL, dlg.DoModal()) << how;
    EXPECT_EQ("unchanged", dlg.m_strName);  // cancel reads nothing
  }
}

TEST(ModalDialog, EnterRunsOk) {
  CDataDlg dlg;
  TimedSteps steps({[&] {
    if (!dlg.m_hWnd) return false;
    dlg.SetDlgItemText(IDC_TEST_NAME, G("回车"));
    ::PostMessageW(::GetDlgItem(dlg, IDC_TEST_NAME), WM_KEYDOWN, VK_RETURN, 0);
    return true;
  }});
  EXPECT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ(G("回车"), dlg.m_strName);
}

TEST(ModalDialog, ParentIsDisabledDuringTheRunAndEnabledAfter) {
  CDialog parent(IDD_TEST_MODELESS);
  ASSERT_TRUE(parent.Create());
  CEndingDlg child;
  child.m_pParentWnd = &parent;
  TimedSteps steps({[&] { return child.m_hWnd && ::PostMessageW(child, WM_APP + 1, 7, 0); }});
  EXPECT_EQ(7, child.DoModal());
  EXPECT_EQ(parent.m_hWnd, child.ownerDuringRun);
  EXPECT_FALSE(child.ownerEnabledDuringRun);
  EXPECT_TRUE(parent.IsWindowEnabled());
  parent.DestroyWindow();
}

TEST(ModalDialog, MissingTemplateFails) {
  CDialog dlg(4321);
  EXPECT_EQ(-1, dlg.DoModal());
  EXPECT_EQ(nullptr, dlg.m_hWnd);
  EXPECT_FALSE(dlg.Create(4321));
}

TEST(ModelessDialog, CreateShowsItAndOkHidesIt) {
  CDialog dlg(IDD_TEST_MODELESS);
  ASSERT_TRUE(dlg.Create());
  EXPECT_FALSE(dlg.Create());  // once
  EXPECT_TRUE(dlg.IsWindowVisible());
  EXPECT_EQ(G("结果如下"), dlg.GetWindowText());
  ::SendMessageW(::GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
  EXPECT_TRUE(::IsWindow(dlg));
  EXPECT_FALSE(dlg.IsWindowVisible());
  dlg.ShowWindow(SW_SHOW);  // shown again, as a result window is
  EXPECT_TRUE(dlg.IsWindowVisible());
  EXPECT_TRUE(dlg.DestroyWindow());
  EXPECT_EQ(nullptr, dlg.m_hWnd);
}

// ---- colours

class DialogColours : public ::testing::Test {
 protected:
  void SetUp() override { s_app.SetDialogBkColor(kBk, kText); }
  void TearDown() override { s_app.SetDialogBkColor(RGB(192, 192, 192), RGB(0, 0, 0)); }
  static constexpr COLORREF kBk = RGB(181, 198, 222);
  static constexpr COLORREF kText = RGB(255, 255, 255);
};

COLORREF BrushColour(LRESULT r) {
  LOGBRUSH lb{};
  HBRUSH h = reinterpret_cast<HBRUSH>(r);
  if (!h || ::GetObjectW(h, sizeof lb, &lb) != sizeof lb) return CLR_INVALID;
  return lb.lbColor;
}

TEST_F(DialogColours, BackgroundAndStaticTextsTakeTheColours) {
  CDialog dlg(IDD_TEST_DATA);
  ASSERT_TRUE(dlg.Create(IDD_TEST_DATA));
  HDC hDC = ::GetDC(dlg);
  auto ask = [&](UINT msg, int id) {
    ::SetTextColor(hDC, RGB(1, 2, 3));
    ::SetBkColor(hDC, RGB(4, 5, 6));
    HWND hCtl = id ? ::GetDlgItem(dlg, id) : dlg.m_hWnd;
    return dlg.SendMessage(msg, reinterpret_cast<WPARAM>(hDC), reinterpret_cast<LPARAM>(hCtl));
  };
  EXPECT_EQ(kBk, BrushColour(ask(WM_CTLCOLORDLG, 0)));
  EXPECT_EQ(kBk, ::GetBkColor(hDC));
  for (int id : {IDC_TEST_LABEL, IDC_TEST_CHECK}) {
    EXPECT_EQ(kBk, BrushColour(ask(WM_CTLCOLORSTATIC, id))) << id;
    EXPECT_EQ(kText, ::GetTextColor(hDC)) << id;
    EXPECT_EQ(kBk, ::GetBkColor(hDC)) << id;
  }
  // Edits and lists keep the system's colours.
  EXPECT_NE(kBk, BrushColour(ask(WM_CTLCOLOREDIT, IDC_TEST_NAME)));
  EXPECT_NE(kText, ::GetTextColor(hDC));
  EXPECT_NE(kBk, BrushColour(ask(WM_CTLCOLORLISTBOX, IDC_TEST_LIST)));
  ::SendMessageW(::GetDlgItem(dlg, IDC_TEST_NAME), EM_SETREADONLY, TRUE, 0);
  EXPECT_NE(kBk, BrushColour(ask(WM_CTLCOLORSTATIC, IDC_TEST_NAME)));  // a read-only edit asks as a static
  ::ReleaseDC(dlg, hDC);

  // What the screen shows: the erased background in the dialog colour.
  dlg.ShowWindow(SW_SHOW);
  ::RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  CRect rc;
  dlg.GetClientRect(&rc);
  HDC hWndDC = ::GetDC(dlg);
  COLORREF pixel = ::GetPixel(hWndDC, rc.right - 3, rc.bottom / 2);
  ::ReleaseDC(dlg, hWndDC);
  if (pixel != CLR_INVALID) {
    EXPECT_EQ(kBk, pixel);
  }
  dlg.DestroyWindow();
}

TEST_F(DialogColours, MessageBoxesTakeTheColoursToo) {
  CDialog dlg(IDD_TEST_MODELESS);
  ASSERT_TRUE(dlg.Create());
  MessageBoxCatcher catcher;
  EXPECT_EQ(IDOK, dlg.MessageBox(G("读图片出错!\n---Quillan")));
  ASSERT_EQ(1u, catcher.boxes.size());
  EXPECT_EQ(L"读图片出错!\n---Quillan", catcher.boxes[0].text);
  EXPECT_EQ(L"UiTest", catcher.boxes[0].caption);
  EXPECT_EQ(dlg.m_hWnd, catcher.boxes[0].owner);
  EXPECT_FALSE(catcher.boxes[0].hasCancel);
  EXPECT_EQ(kBk, catcher.boxes[0].dialogBrushColor);
  EXPECT_EQ(kText, catcher.boxes[0].staticTextColor);
  dlg.DestroyWindow();
}

TEST(MessageBoxes, MainWindowOwnsThemByDefault) {
  CDialog main(IDD_TEST_MODELESS);
  ASSERT_TRUE(main.Create());
  s_app.m_pMainWnd = &main;
  MessageBoxCatcher catcher;
  EXPECT_EQ(IDOK, ShowMessage(G("完成了!!\n---Quillan")));
  s_app.m_pMainWnd = nullptr;
  ASSERT_EQ(1u, catcher.boxes.size());
  EXPECT_EQ(L"完成了!!\n---Quillan", catcher.boxes[0].text);
  EXPECT_EQ(main.m_hWnd, catcher.boxes[0].owner);
  main.DestroyWindow();
}

}  // namespace

namespace {

// A modal run of a dialog the system makes and drives, as a folder chooser
// does: the run attaches the window for the program's colours and table.
class CSystemRunDlg : public CDialog {
 public:
  CSystemRunDlg() : CDialog(0) {}
  bool attachedDuringInit = false;
  COLORREF brushColour = CLR_INVALID;
  int pings = 0;

  INT_PTR DoModal() override {
    HWND hOwner = PreModal();
    INT_PTR r = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TEST_MODELESS),
                                  hOwner, &SystemProc, reinterpret_cast<LPARAM>(this));
    PostModal();
    return r;
  }

 protected:
  LRESULT OnPing(WPARAM, LPARAM) {
    ++pings;
    return 0;
  }
  DECLARE_MESSAGE_MAP()

 private:
  // The system's side: its own initialisation and buttons.
  static INT_PTR CALLBACK SystemProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
      auto* self = reinterpret_cast<CSystemRunDlg*>(lParam);
      self->attachedDuringInit = CWnd::FromHandlePermanent(hWnd) == self;
      ::SetDlgItemTextW(hWnd, IDC_TEST_LABEL, L"系统的初始化");
      HDC hDC = ::GetDC(hWnd);
      self->brushColour = BrushColour(::SendMessageW(hWnd, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(hDC),
                                                     reinterpret_cast<LPARAM>(hWnd)));
      ::ReleaseDC(hWnd, hDC);
      ::PostMessageW(hWnd, WM_APP + 3, 0, 0);
      ::PostMessageW(hWnd, WM_COMMAND, IDOK, 0);
      return TRUE;
    }
    if (msg == WM_COMMAND && LOWORD(wParam) == IDOK) {
      ::EndDialog(hWnd, 55);
      return TRUE;
    }
    return FALSE;
  }
};

BEGIN_MESSAGE_MAP(CSystemRunDlg, CDialog)
  ON_MESSAGE(WM_APP + 3, &CSystemRunDlg::OnPing)
END_MESSAGE_MAP()

TEST(SystemDialogRun, AttachedForColoursAndTableButDrivenByTheSystem) {
  s_app.SetDialogBkColor(RGB(10, 20, 30), RGB(200, 210, 220));
  CSystemRunDlg dlg;
  EXPECT_EQ(55, dlg.DoModal());  // the system's own OK ended it
  s_app.SetDialogBkColor(RGB(192, 192, 192), RGB(0, 0, 0));
  EXPECT_TRUE(dlg.attachedDuringInit);
  EXPECT_EQ(RGB(10, 20, 30), dlg.brushColour);
  EXPECT_EQ(1, dlg.pings);
  EXPECT_EQ(nullptr, dlg.m_hWnd);
  // The next window is no longer taken.
  CDialog other(IDD_TEST_MODELESS);
  ASSERT_TRUE(other.Create());
  EXPECT_EQ(&other, CWnd::FromHandlePermanent(other.m_hWnd));
  other.DestroyWindow();
}

}  // namespace
