// Message tables: commands, notifications and messages reach the right
// handlers, derived tables come first, the rest gets default processing;
// subclassed controls get their own table in front of the system's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_resource.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui_test_util.h"

namespace {

constexpr UINT WM_TEST_PING = WM_APP + 7;
constexpr UINT WM_TEST_OTHER = WM_APP + 8;

class CTableDlg : public CDialog {
 public:
  CTableDlg() : CDialog(IDD_TEST_DATA) {}
  std::vector<std::string> calls;

 protected:
  void OnTestCommand() { calls.push_back("command"); }
  void OnDblclkList() { calls.push_back("dblclk"); }
  void OnSelchangeList() { calls.push_back("selchange"); }
  LRESULT OnPing(WPARAM wParam, LPARAM lParam) {
    calls.push_back("ping " + std::to_string(wParam) + " " + std::to_string(lParam));
    return 1977;
  }
  void OnTimer(UINT_PTR nIDEvent) {
    calls.push_back("timer " + std::to_string(nIDEvent));
    KillTimer(nIDEvent);
  }
  void OnOK() override { calls.push_back("ok"); }  // stays open

  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTableDlg, CDialog)
  ON_COMMAND(IDC_TEST_COMMAND, &CTableDlg::OnTestCommand)
  ON_LBN_DBLCLK(IDC_TEST_LIST, &CTableDlg::OnDblclkList)
  ON_LBN_SELCHANGE(IDC_TEST_LIST, &CTableDlg::OnSelchangeList)
  ON_MESSAGE(WM_TEST_PING, &CTableDlg::OnPing)
  ON_WM_TIMER()
END_MESSAGE_MAP()

// A derived table takes a message before its base's table.
class CDerivedTableDlg : public CTableDlg {
 protected:
  LRESULT OnPingAgain(WPARAM, LPARAM) {
    calls.push_back("derived ping");
    return 7;
  }
  void OnOtherCommand() { calls.push_back("derived command"); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedTableDlg, CTableDlg)
  ON_MESSAGE(WM_TEST_PING, &CDerivedTableDlg::OnPingAgain)
  ON_BN_CLICKED(IDC_TEST_CHECK, &CDerivedTableDlg::OnOtherCommand)
END_MESSAGE_MAP()

WPARAM Notify(int id, int code) { return MAKEWPARAM(id, code); }

TEST(MessageTable, CommandsNotificationsAndMessagesReachTheirHandlers) {
  CTableDlg dlg;
  ASSERT_TRUE(dlg.Create(IDD_TEST_DATA));
  HWND hList = ::GetDlgItem(dlg, IDC_TEST_LIST);
  dlg.SendMessage(WM_COMMAND, Notify(IDC_TEST_COMMAND, BN_CLICKED), reinterpret_cast<LPARAM>(hList));
  dlg.SendMessage(WM_COMMAND, Notify(IDC_TEST_COMMAND, 1), 0);  // accelerator form
  dlg.SendMessage(WM_COMMAND, Notify(IDC_TEST_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(hList));
  dlg.SendMessage(WM_COMMAND, Notify(IDC_TEST_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(hList));
  dlg.SendMessage(WM_COMMAND, Notify(IDC_TEST_LIST, LBN_SETFOCUS), reinterpret_cast<LPARAM>(hList));  // no entry
  EXPECT_EQ(1977, dlg.SendMessage(WM_TEST_PING, 3, 4));
  EXPECT_EQ(0, dlg.SendMessage(WM_TEST_OTHER, 3, 4));  // no entry: default processing
  ::SendMessageW(::GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);  // the real button, through the system
  dlg.SetTimer(5, 1);
  PumpUntil([&] { return dlg.calls.size() >= 7; }, 3000);
  std::vector<std::string> expected = {"command", "command", "dblclk", "selchange", "ping 3 4", "ok", "timer 5"};
  EXPECT_EQ(expected, dlg.calls);
  // Default processing still answers what the table leaves alone.
  dlg.SetWindowText(G("结果如下"));
  EXPECT_EQ(G("结果如下"), dlg.GetWindowText());
  dlg.DestroyWindow();
}

TEST(MessageTable, DerivedEntriesComeFirstAndBaseEntriesStillWork) {
  CDerivedTableDlg dlg;
  ASSERT_TRUE(dlg.Create(IDD_TEST_DATA));
  EXPECT_EQ(7, dlg.SendMessage(WM_TEST_PING, 1, 2));
  dlg.SendMessage(WM_COMMAND, Notify(IDC_TEST_COMMAND, BN_CLICKED), 0);
  dlg.SendMessage(WM_COMMAND, Notify(IDC_TEST_CHECK, BN_CLICKED), 0);
  std::vector<std::string> expected = {"derived ping", "command", "derived command"};
  EXPECT_EQ(expected, dlg.calls);
  dlg.DestroyWindow();
}

// A list box of its own: counts presses and lets the list box select, takes
// the Delete key without default processing, lets every other key through.
class CCountingListBox : public CListBox {
 public:
  int presses = 0;
  int deletes = 0;
  int otherKeys = 0;
  int selAtPress = -2;

 protected:
  void OnLButtonDown(UINT nFlags, CPoint point) {
    ++presses;
    selAtPress = GetCurSel();
    CListBox::OnLButtonDown(nFlags, point);  // default: selects, captures
  }
  void OnLButtonUp(UINT nFlags, CPoint point) { CListBox::OnLButtonUp(nFlags, point); }
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (nChar == VK_DELETE) {
      ++deletes;
      return;
    }
    ++otherKeys;
    CListBox::OnKeyDown(nChar, nRepCnt, nFlags);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingListBox, CListBox)
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONUP()
  ON_WM_KEYDOWN()
END_MESSAGE_MAP()

class CListOwnerDlg : public CDialog {
 public:
  CListOwnerDlg() : CDialog(IDD_TEST_DATA) {}
  CCountingListBox m_list;

 protected:
  void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_TEST_LIST, m_list); }
};

TEST(Subclassing, ControlTableInFrontOfTheSystemsProcedure) {
  CDialog dlg(IDD_TEST_DATA);
  ASSERT_TRUE(dlg.Create(IDD_TEST_DATA));
  CCountingListBox list;
  ASSERT_TRUE(list.SubclassDlgItem(IDC_TEST_LIST, &dlg));
  EXPECT_EQ(&list, CWnd::FromHandlePermanent(list.m_hWnd));
  EXPECT_FALSE(CCountingListBox().SubclassDlgItem(IDC_TEST_LIST, &dlg));  // one object per window
  for (int i = 0; i < 5; ++i) list.AddString(G("歌曲 ") + std::to_string(i));
  int h = list.GetItemHeight(0);

  // A press on entry 2: the handler runs, then the list box's own handling
  // selects the entry.
  list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 2 * h + 1));
  list.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 2 * h + 1));
  EXPECT_EQ(1, list.presses);
  EXPECT_EQ(LB_ERR, list.selAtPress);
  EXPECT_EQ(2, list.GetCurSel());
  EXPECT_EQ(nullptr, CWnd::GetCapture());  // the default handling released it

  // Delete is taken by the handler; Down goes on to the list box.
  list.SendMessage(WM_KEYDOWN, VK_DELETE, 0);
  list.SendMessage(WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(1, list.deletes);
  EXPECT_EQ(1, list.otherKeys);
  EXPECT_EQ(3, list.GetCurSel());
  EXPECT_EQ(5, list.GetCount());

  // Given back: the system's procedure alone again.
  HWND hList = list.UnsubclassWindow();
  EXPECT_EQ(nullptr, list.m_hWnd);
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hList));
  ::SendMessageW(hList, WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_EQ(1, list.deletes);
  EXPECT_TRUE(::IsWindow(hList));
  dlg.DestroyWindow();
}

TEST(Subclassing, DataExchangeAttachesAndDestructionDetaches) {
  HWND hList = nullptr;
  {
    CListOwnerDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_TEST_DATA));  // OnInitDialog runs the exchange
    hList = ::GetDlgItem(dlg, IDC_TEST_LIST);
    EXPECT_EQ(hList, dlg.m_list.m_hWnd);
    EXPECT_EQ(&dlg.m_list, CWnd::FromHandlePermanent(hList));
    EXPECT_TRUE(dlg.UpdateData(true));  // a second exchange leaves the attachment alone
    EXPECT_EQ(hList, dlg.m_list.m_hWnd);
    dlg.m_list.SendMessage(WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(1, dlg.m_list.deletes);
    dlg.DestroyWindow();
    // The window went with its dialog; the objects know.
    EXPECT_EQ(nullptr, dlg.m_list.m_hWnd);
    EXPECT_EQ(nullptr, dlg.m_hWnd);
  }
  EXPECT_FALSE(::IsWindow(hList));
}

TEST(Subclassing, AnAttachedWindowGoesWithItsObject) {
  HWND hDlg = nullptr;
  {
    CDialog dlg(IDD_TEST_MODELESS);
    ASSERT_TRUE(dlg.Create());
    hDlg = dlg.m_hWnd;
    EXPECT_TRUE(::IsWindow(hDlg));
  }
  EXPECT_FALSE(::IsWindow(hDlg));
  // A plain wrapper owns nothing.
  CDialog dlg(IDD_TEST_MODELESS);
  ASSERT_TRUE(dlg.Create());
  { CWnd label = dlg.GetDlgItem(IDC_TEST_LABEL); EXPECT_NE(nullptr, label.m_hWnd); }
  EXPECT_NE(nullptr, ::GetDlgItem(dlg, IDC_TEST_LABEL));
}

}  // namespace
