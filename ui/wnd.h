// CWnd: a window handle with the operations the dialogs use, and, for a
// window attached to its object (a dialog, or a control subclassed with
// SubclassDlgItem), the message table dispatch with default processing
// through the window's original procedure.
//
// A CWnd made from a bare handle (GetDlgItem, GetParent) is a plain wrapper:
// it owns nothing and its destruction leaves the window alone.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "ui/message_map.h"
#include "ui/types.h"

class CWnd {
 public:
  CWnd() = default;
  explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  // An attached window still alive is destroyed with its object.
  virtual ~CWnd();

  HWND m_hWnd = nullptr;

  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }

  // The object attached to hWnd by SubclassWindow or a dialog's creation.
  static CWnd* FromHandlePermanent(HWND hWnd);

  // Attaches the object to an existing window: its messages go through this
  // object's table first, then to the window's original procedure.
  bool SubclassWindow(HWND hWnd);
  bool SubclassDlgItem(UINT nID, CWnd* pParent);
  HWND UnsubclassWindow();
  bool IsAttached() const { return m_bAttached; }

  // Text (GBK).
  void SetWindowText(const std::string& text);
  std::string GetWindowText() const;
  int GetWindowTextLength() const;
  void SetDlgItemText(int nID, const std::string& text);
  std::string GetDlgItemText(int nID) const;
  void SetDlgItemInt(int nID, int value);

  // Related windows, as plain wrappers.
  CWnd GetDlgItem(int nID) const { return CWnd(::GetDlgItem(m_hWnd, nID)); }
  CWnd GetParent() const { return CWnd(::GetParent(m_hWnd)); }
  int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
  // className may be null (any class); both texts GBK.
  static HWND FindWindow(const char* className, const std::string& windowName);

  // Geometry and state.
  void GetClientRect(RECT* pRect) const { ::GetClientRect(m_hWnd, pRect); }
  void GetWindowRect(RECT* pRect) const { ::GetWindowRect(m_hWnd, pRect); }
  void ScreenToClient(POINT* pPoint) const { ::ScreenToClient(m_hWnd, pPoint); }
  void ScreenToClient(RECT* pRect) const;
  void ClientToScreen(POINT* pPoint) const { ::ClientToScreen(m_hWnd, pPoint); }
  void ClientToScreen(RECT* pRect) const;
  void MoveWindow(int x, int y, int width, int height, bool bRepaint = true) {
    ::MoveWindow(m_hWnd, x, y, width, height, bRepaint);
  }
  bool ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow) != FALSE; }
  bool IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
  bool EnableWindow(bool bEnable = true) { return ::EnableWindow(m_hWnd, bEnable) != FALSE; }
  bool IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }
  DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
  HWND SetFocus() { return ::SetFocus(m_hWnd); }
  static HWND GetFocus() { return ::GetFocus(); }
  virtual bool DestroyWindow();

  // Painting.
  void Invalidate(bool bErase = true) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
  void InvalidateRect(const RECT* pRect, bool bErase = true) { ::InvalidateRect(m_hWnd, pRect, bErase); }
  void UpdateWindow() { ::UpdateWindow(m_hWnd); }
  void SetRedraw(bool bRedraw = true) { SendMessage(WM_SETREDRAW, bRedraw, 0); }
  HICON SetIcon(HICON hIcon, bool bBigIcon) {
    return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL,
                                               reinterpret_cast<LPARAM>(hIcon)));
  }

  // Messages, timers, mouse capture.
  LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageW(m_hWnd, msg, wParam, lParam);
  }
  bool PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::PostMessageW(m_hWnd, msg, wParam, lParam) != FALSE;
  }
  UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse) { return ::SetTimer(m_hWnd, nIDEvent, nElapse, nullptr); }
  bool KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent) != FALSE; }
  HWND SetCapture() { return ::SetCapture(m_hWnd); }
  static HWND GetCapture() { return ::GetCapture(); }
  static void ReleaseCapture() { ::ReleaseCapture(); }
  void DragAcceptFiles(bool bAccept = true);

  // Buttons of a dialog.
  void CheckDlgButton(int nID, UINT nCheck) { ::CheckDlgButton(m_hWnd, nID, nCheck); }
  UINT IsDlgButtonChecked(int nID) const { return ::IsDlgButtonChecked(m_hWnd, nID); }
  void CheckRadioButton(int nFirst, int nLast, int nCheck) { ::CheckRadioButton(m_hWnd, nFirst, nLast, nCheck); }

  // A plain message box with only an OK button, owned by this window.
  // caption null: the application's name.
  int MessageBox(const std::string& text, const char* caption = nullptr, UINT nType = MB_OK);

  // Message handling of an attached window.
  virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // Runs the table entry for the message; false when there is none.
  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // The original window procedure (or the system's default).
  virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // Default processing of the message being handled.
  LRESULT Default();

  // The default handlers that ON_WM_xxx entries call; each does Default().
  void OnPaint() { Default(); }
  BOOL OnEraseBkgnd(HDC) { return static_cast<BOOL>(Default()); }
  HBRUSH OnCtlColor(HDC, HWND, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
  void OnMouseMove(UINT, CPoint) { Default(); }
  void OnLButtonDown(UINT, CPoint) { Default(); }
  void OnLButtonUp(UINT, CPoint) { Default(); }
  void OnLButtonDblClk(UINT, CPoint) { Default(); }
  void OnRButtonDown(UINT, CPoint) { Default(); }
  void OnRButtonUp(UINT, CPoint) { Default(); }
  void OnRButtonDblClk(UINT, CPoint) { Default(); }
  BOOL OnSetCursor(HWND, UINT, UINT) { return static_cast<BOOL>(Default()); }
  void OnTimer(UINT_PTR) { Default(); }
  void OnKeyDown(UINT, UINT, UINT) { Default(); }
  void OnDestroy() { Default(); }
  void OnClose() { Default(); }
  void OnDropFiles(HDROP) { Default(); }
  void OnContextMenu(HWND, CPoint) { Default(); }
  void OnSysCommand(UINT, LPARAM) { Default(); }
  HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
  void OnCaptureChanged(HWND) { Default(); }

  // The next window this thread creates is attached to pWnd (dialogs use it
  // so that their table sees every message; a modal run of a system dialog
  // uses it to get the program's dialog handling for that window).
  static void HookWindowCreate(CWnd* pWnd);
  // Ends the hook; true when a window was attached.
  static bool UnhookWindowCreate();

 protected:
  static const CMessageMap* GetThisMessageMap();
  virtual const CMessageMap* GetMessageMap() const;
  // After the window's last message; the object is detached by then.
  virtual void PostNcDestroy() {}

  WNDPROC m_pfnSuper = nullptr;

 private:
  static LRESULT CALLBACK StdWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void Detach();

  bool m_bAttached = false;
};
