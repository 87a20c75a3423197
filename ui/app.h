// The application object: start-up hook, main window and the colours of
// every dialog and message box of the program.
#pragma once

#include <windows.h>

#include <string>

class CWnd;

class CWinApp {
 public:
  // appName (GBK): the caption of message boxes; null takes the program's
  // file name without extension.
  explicit CWinApp(const char* appName = nullptr);
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;
  virtual ~CWinApp();

  // Called once at start. FALSE ends the program (after ExitInstance) without
  // a message loop; TRUE runs the loop until WM_QUIT.
  virtual BOOL InitInstance() { return FALSE; }
  virtual int ExitInstance() { return 0; }
  virtual int Run();

  // From now on every dialog and message box of the program paints its
  // background with bk and its static texts (check boxes, radio buttons and
  // group boxes among them) in text on bk. Edits, list boxes and scroll
  // bars keep the system colours.
  void SetDialogBkColor(COLORREF bk = RGB(192, 192, 192), COLORREF text = RGB(0, 0, 0));

  HINSTANCE m_hInstance = nullptr;
  CWnd* m_pMainWnd = nullptr;
  std::string m_strAppName;  // GBK
};

// The program's application object (the last one constructed), or null.
CWinApp* AfxGetApp();

// Where the program's resources (templates, bitmaps, cursors, strings) come
// from: the application's instance, else the program file.
HINSTANCE AfxGetResourceHandle();

// The program entry's work: InitInstance, then Run or ExitInstance.
int RunApplication(HINSTANCE hInstance);

// Runs one message through the dialog keyboard handling of the top-level
// dialog it is meant for; true when that took it.
bool PreTranslateDialogMessage(MSG* pMsg);

// The dialog-colour answer to a WM_CTLCOLORxxx message (nCtlColor =
// message - WM_CTLCOLORMSGBOX): sets the colours on hDC and returns the
// background brush, or null when the control keeps the system colours or no
// colours were set.
HBRUSH DialogCtlColor(HDC hDC, HWND hCtl, UINT nCtlColor);
