// Program entry: the one application object runs the main window; the
// program ends when it closes.
#include <windows.h>

#include "shell/import_app.h"

namespace {

CImportApp s_theApp;

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int) { return RunApplication(hInstance); }
