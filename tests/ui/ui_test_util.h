// Helpers of the Windows test programs: pumping messages, running steps
// inside a modal loop, catching the message boxes a step shows, finding
// dialogs, clicks on skinned pictures, reading lists, temporary folders.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "ui/text.h"

class CComboBox;
class CListBox;

// GBK text from the UTF-8 literals of these sources.
inline std::string G(const char* utf8) { return Utf8ToCp936(utf8); }
// The same as UTF-16, as window texts and message boxes hold it.
inline std::wstring WG(const char* utf8) { return Wide(G(utf8)); }

// Dispatches this thread's messages until pred holds or timeoutMs passes;
// returns pred's last value.
bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs = 5000);

// Runs each step once, in order, from a thread timer of this thread, so
// that they run inside whatever modal loop is active (a DoModal, a message
// box). A step that returns false is tried again at the next tick. Stop it
// by destruction.
class TimedSteps {
 public:
  explicit TimedSteps(std::vector<std::function<bool()>> steps, UINT intervalMs = 20);
  ~TimedSteps();
  bool Done() const { return m_next >= m_steps.size(); }

 private:
  static void CALLBACK OnTick(HWND, UINT, UINT_PTR id, DWORD);
  std::vector<std::function<bool()>> m_steps;
  size_t m_next = 0;
  UINT_PTR m_timer = 0;
};

// A message box caught and closed by MessageBoxCatcher.
struct CaughtMessageBox {
  HWND hWnd = nullptr;  // gone soon after it was caught
  std::wstring text;
  std::wstring caption;
  HWND owner = nullptr;
  COLORREF dialogBrushColor = CLR_INVALID;  // colour of its WM_CTLCOLORDLG brush
  COLORREF staticTextColor = CLR_INVALID;   // text colour its text static gets
  bool hasCancel = false;
};

// While it lives, every message box of this thread is read and closed with
// OK as soon as it shows.
class MessageBoxCatcher {
 public:
  MessageBoxCatcher();
  ~MessageBoxCatcher();
  std::vector<CaughtMessageBox> boxes;

 private:
  static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD);
  static BOOL CALLBACK OnWindow(HWND hWnd, LPARAM lParam);
  UINT_PTR m_timer = 0;
  std::vector<HWND> m_seen;
};

// A list box's or a combo box's entries (GBK) as they stand.
std::vector<std::string> ListTexts(const CListBox& list);
std::vector<std::string> ComboTexts(const CComboBox& box);

// The text of a window as UTF-8, for readable failures.
std::string Utf8Text(HWND hWnd);

// A shown message box: a visible dialog with the text static of one.
bool IsShownMessageBox(HWND hWnd);
// The first shown message box of a thread; null when there is none.
HWND FindMessageBox(DWORD threadId);
// The text a message box shows.
std::wstring MessageBoxText(HWND hBox);

// The \\?\ form of an absolute path ("X:\..."), which has no MAX_PATH
// limit; any other path as it is.
std::wstring LongForm(const std::wstring& path);

// Removes a folder with all it holds, sub-folders and read-only files
// included, also where paths are longer than MAX_PATH.
void RemoveTree(const std::wstring& dir);

// A file's whole content: written (false when it cannot be), read
// ("<missing>" when it cannot be).
bool WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);

// A fresh folder of its own under the temporary folder (prefix, process id
// and a count: every instance has its own), removed with all it holds.
// Names and paths are GBK.
class CTempFolder {
 public:
  explicit CTempFolder(const std::wstring& prefix = L"vm-test-");
  ~CTempFolder();
  CTempFolder(const CTempFolder&) = delete;
  CTempFolder& operator=(const CTempFolder&) = delete;

  const std::wstring& Root() const { return m_root; }
  std::string Path(const std::string& name) const;
  std::wstring WidePath(const std::string& name) const { return m_root + L"\\" + Wide(name); }
  // Writes a file of the folder (a failure fails the test) and returns its
  // full path.
  std::string Write(const std::string& name, const std::string& bytes) const;
  void Folder(const std::string& name) const;
  std::string Read(const std::string& name) const;  // "<missing>" when it is not there
  static std::string ReadFile(const std::string& path);  // by full path, the same
  bool Exists(const std::string& name) const;

 private:
  std::wstring m_root;
};

// The visible dialog of this thread titled title (GBK), owned by owner when
// owner is given; null when there is none.
HWND FindShownDialog(const std::string& title, HWND owner = nullptr);
// The first visible dialog owned by owner, whatever its title; null when
// there is none.
HWND FindOwnedDialog(HWND owner);

// The point (dx, dy) of the picture drawn at a skinned dialog's placeholder
// button, in the dialog's client coordinates (38, 38 is the middle of a
// 77-pixel star, 0, 0 its transparent corner).
POINT PicturePoint(HWND hDlg, int placeholder, int dx = 38, int dy = 38);
// A left-button release at that point.
void ReleaseOnPicture(HWND hDlg, int placeholder, int dx = 38, int dy = 38);
// A press far away from the pictures, then the release over the star.
void ClickPicture(HWND hDlg, int placeholder);
