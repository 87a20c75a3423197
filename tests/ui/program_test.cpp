// The program itself: it opens the main dialog in the program's colours and
// ends when that dialog closes.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ui/text.h"

namespace {

struct Found {
  DWORD pid;
  HWND hWnd;
};

BOOL CALLBACK FindDialogOf(HWND hWnd, LPARAM lParam) {
  auto* f = reinterpret_cast<Found*>(lParam);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hWnd, &pid);
  wchar_t cls[16] = {};
  ::GetClassNameW(hWnd, cls, 16);
  if (pid == f->pid && ::IsWindowVisible(hWnd) && ::lstrcmpW(cls, L"#32770") == 0) {
    f->hWnd = hWnd;
    return FALSE;
  }
  return TRUE;
}

// The build tree's program as Wine sees it.
std::wstring ProgramPath() {
  std::wstring path = Wide(VM_VERSEMILL_EXE);
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return L"Z:" + path;
}

TEST(Program, OpensTheMainDialogAndEndsWhenItCloses) {
  std::wstring cmd = L"\"" + ProgramPath() + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      << ::GetLastError();
  Found f{pi.dwProcessId, nullptr};
  for (int i = 0; i < 200 && !f.hWnd; ++i) {
    if (::WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) break;
    ::EnumWindows(&FindDialogOf, reinterpret_cast<LPARAM>(&f));
  }
  ASSERT_NE(nullptr, f.hWnd) << "no main dialog appeared";
  // Template 102: the two file lists.
  EXPECT_NE(nullptr, ::GetDlgItem(f.hWnd, 1000));
  EXPECT_NE(nullptr, ::GetDlgItem(f.hWnd, 1004));
  // Its background, where no control stands, in the default dialog colour.
  RECT rc;
  ::GetClientRect(f.hWnd, &rc);
  ::RedrawWindow(f.hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  HDC hDC = ::GetDC(f.hWnd);
  COLORREF pixel = ::GetPixel(hDC, rc.right - 3, rc.bottom - 3);
  ::ReleaseDC(f.hWnd, hDC);
  if (pixel != CLR_INVALID) {
    EXPECT_EQ(RGB(181, 198, 222), pixel);
  }

  ::PostMessageW(f.hWnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(pi.hProcess, 10000));
  DWORD code = 1;
  ::GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(0u, code);
  if (code == STILL_ACTIVE) ::TerminateProcess(pi.hProcess, 1);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
}

}  // namespace
