// Message tables: which handler method a window message, a command or a
// control notification goes to.
//
//   class CMyDlg : public CDialog {
//     ...
//     void OnAbout();
//     LRESULT OnDeleteEntry(WPARAM wParam, LPARAM lParam);
//     DECLARE_MESSAGE_MAP()
//   };
//
//   BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//     ON_WM_PAINT()
//     ON_COMMAND(IDC_ABOUT, &CMyDlg::OnAbout)
//     ON_LBN_DBLCLK(IDC_LYRIC_LIST, &CMyDlg::OnDblclkLyricList)
//     ON_MESSAGE(WM_DELETE_ENTRY, &CMyDlg::OnDeleteEntry)
//   END_MESSAGE_MAP()
//
// The ON_WM_xxx entries call the handler of the fixed name and signature
// (OnPaint(), OnLButtonUp(UINT, CPoint), ...); CWnd has each of them, doing
// the default processing, so a handler calls its base class's one to go on.
// A window's table is searched first, then its base classes' tables; a
// message no entry takes gets the default processing.
#pragma once

#include <windows.h>

#include "ui/types.h"

class CWnd;

// Stands for the seven WM_CTLCOLORxxx messages in a table (the nCtlColor
// argument tells which one came).
constexpr UINT WM_CTLCOLOR_ANY = 0x0019;

struct CMessageEntry {
  UINT nMessage;  // 0 ends the table
  UINT nCode;     // WM_COMMAND entries: notification code
  UINT nID;       // WM_COMMAND entries: command or control id
  LRESULT (*pfnCall)(CWnd* pWnd, UINT nMessage, WPARAM wParam, LPARAM lParam);
};

struct CMessageMap {
  const CMessageMap* (*pfnGetBaseMap)();  // null for the root
  const CMessageEntry* pEntries;
};

#define DECLARE_MESSAGE_MAP()                             \
 protected:                                               \
  static const CMessageMap* GetThisMessageMap();          \
  const CMessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
  const CMessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const CMessageMap* theClass::GetThisMessageMap() {                                  \
    using ThisClass [[maybe_unused]] = theClass;                                      \
    using TheBaseClass = baseClass;                                                   \
    static const CMessageEntry s_entries[] = {

#define END_MESSAGE_MAP()                                                          \
  {0, 0, 0, nullptr}};                                                             \
  static const CMessageMap s_map = {&TheBaseClass::GetThisMessageMap, s_entries};  \
  return &s_map;                                                                   \
  }

// The call of one entry; the body sees p (the window as ThisClass), nMsg,
// wParam and lParam, and returns the message result.
#define VM_MSG_CALL(...)                                                          \
  [](CWnd* pWnd_, UINT nMsg, WPARAM wParam, LPARAM lParam) -> LRESULT {           \
    ThisClass* p = static_cast<ThisClass*>(pWnd_);                                \
    (void)p; (void)nMsg; (void)wParam; (void)lParam;                              \
    __VA_ARGS__                                                                   \
  }

// Commands (menu items, buttons, accelerators) and control notifications.
#define ON_COMMAND(id, memberFxn) \
  {WM_COMMAND, 0, static_cast<UINT>(id), VM_MSG_CALL((p->*(memberFxn))(); return 0;)},
#define ON_CONTROL(code, id, memberFxn) \
  {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), VM_MSG_CALL((p->*(memberFxn))(); return 0;)},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)

// Any message, handler LRESULT (WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn) \
  {static_cast<UINT>(message), 0, 0, VM_MSG_CALL(return (p->*(memberFxn))(wParam, lParam);)},

// Window messages with their fixed handlers.
#define ON_WM_PAINT() {WM_PAINT, 0, 0, VM_MSG_CALL(p->OnPaint(); return 0;)},
#define ON_WM_ERASEBKGND() \
  {WM_ERASEBKGND, 0, 0, VM_MSG_CALL(return p->OnEraseBkgnd(reinterpret_cast<HDC>(wParam));)},
#define ON_WM_CTLCOLOR()                                                                     \
  {WM_CTLCOLOR_ANY, 0, 0, VM_MSG_CALL(return reinterpret_cast<LRESULT>(p->OnCtlColor(        \
                              reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), \
                              nMsg - WM_CTLCOLORMSGBOX));)},
#define VM_ON_MOUSE(message, fxn) \
  {message, 0, 0, VM_MSG_CALL(p->fxn(static_cast<UINT>(wParam), CPoint(lParam)); return 0;)},
#define ON_WM_MOUSEMOVE() VM_ON_MOUSE(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_LBUTTONDOWN() VM_ON_MOUSE(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() VM_ON_MOUSE(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() VM_ON_MOUSE(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() VM_ON_MOUSE(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() VM_ON_MOUSE(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_RBUTTONDBLCLK() VM_ON_MOUSE(WM_RBUTTONDBLCLK, OnRButtonDblClk)
#define ON_WM_SETCURSOR()                                                                \
  {WM_SETCURSOR, 0, 0, VM_MSG_CALL(return p->OnSetCursor(reinterpret_cast<HWND>(wParam), \
                                                         LOWORD(lParam), HIWORD(lParam));)},
#define ON_WM_TIMER() {WM_TIMER, 0, 0, VM_MSG_CALL(p->OnTimer(static_cast<UINT_PTR>(wParam)); return 0;)},
#define ON_WM_KEYDOWN()                                                                    \
  {WM_KEYDOWN, 0, 0, VM_MSG_CALL(p->OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam),   \
                                              HIWORD(lParam)); return 0;)},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, VM_MSG_CALL(p->OnDestroy(); return 0;)},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, VM_MSG_CALL(p->OnClose(); return 0;)},
#define ON_WM_DROPFILES() \
  {WM_DROPFILES, 0, 0, VM_MSG_CALL(p->OnDropFiles(reinterpret_cast<HDROP>(wParam)); return 0;)},
#define ON_WM_CONTEXTMENU()                                                                 \
  {WM_CONTEXTMENU, 0, 0, VM_MSG_CALL(p->OnContextMenu(reinterpret_cast<HWND>(wParam),       \
                                                      CPoint(lParam)); return 0;)},
#define ON_WM_SYSCOMMAND() \
  {WM_SYSCOMMAND, 0, 0, VM_MSG_CALL(p->OnSysCommand(static_cast<UINT>(wParam), lParam); return 0;)},
#define ON_WM_QUERYDRAGICON() \
  {WM_QUERYDRAGICON, 0, 0, VM_MSG_CALL(return reinterpret_cast<LRESULT>(p->OnQueryDragIcon());)},
#define ON_WM_CAPTURECHANGED() \
  {WM_CAPTURECHANGED, 0, 0, VM_MSG_CALL(p->OnCaptureChanged(reinterpret_cast<HWND>(lParam)); return 0;)},
