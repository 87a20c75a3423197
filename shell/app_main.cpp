// Program entry: the application object opens the main dialog and the
// program ends when it closes.
#include <windows.h>

#include "ui/app.h"
#include "ui/dialog.h"

namespace {

constexpr UINT kMainDialogTemplate = 102;

class CVersemillApp : public CWinApp {
 public:
  CVersemillApp() : CWinApp("Versemill") {}

  BOOL InitInstance() override {
    CDialog dlg(kMainDialogTemplate);
    m_pMainWnd = &dlg;
    SetDialogBkColor(RGB(181, 198, 222), RGB(255, 255, 255));
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
  }
};

CVersemillApp s_app;

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int) { return RunApplication(hInstance); }
