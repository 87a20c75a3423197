// The about box: green lines rising slowly over a black dialog, drawn by a
// worker thread into a surface kept for the whole program. A left click
// pauses and resumes, a right click switches between the about text and a
// personal note, a right double-click shows a one-line greeting.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/dialog.h"

class CAboutDlg : public CDialog {
public:
    // pParent: the window it is opened from (null: the main window).
    explicit CAboutDlg(CWnd* pParent = nullptr);
    ~CAboutDlg() override;

    // The animation worker while the dialog is open; null otherwise.
    HANDLE GetAnimationThread() const { return m_hThread; }

protected:
    void OnPaint();
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnRButtonDblClk(UINT nFlags, CPoint point);
    void OnDestroy();
    HBRUSH OnCtlColor(HDC hDC, HWND hCtl, UINT nCtlColor);

    DECLARE_MESSAGE_MAP()

private:
    static DWORD WINAPI AboutAnimationThread(LPVOID pParam);
    void StartAnimation();

    HBRUSH m_brBlack;
    HANDLE m_hThread;
};

// Paint states of the about box, shared by all its openings.
constexpr int ABOUT_NEVER_STARTED = 0;
constexpr int ABOUT_STARTED_FIRST = 1;
constexpr int ABOUT_CLOSED = 999;
constexpr int ABOUT_RESTARTED = 1000;

// Puts the next text into the line table: the personal note after the about
// text, else the about text; clears the surface.
void BuildAboutText();

// The top of the text block after one frame: one pixel higher, back to 50
// pixels above the bottom once the last of nLineCount lines (30 pixels
// apart) has left the top.
int NextAboutTop(int nTop, int nLineCount, int nClientBottom);

// What the animation stands at, read under its lock (the tests and the
// screenshot tool look at it).
struct AboutScene {
    int nPaintState = ABOUT_NEVER_STARTED;
    std::vector<std::string> lines;  // GBK, the lines in use
    bool bPaused = false;
    bool bTextShown = false;
    int nTop = 0;                // where the next frame draws the block
    unsigned long nTicks = 0;    // the worker's waits that timed out
    unsigned long nFrames = 0;   // frames drawn by this opening's worker
    SIZE sizeSurface = {0, 0};
    int nFirstLinePixels = 0;  // pixels of the text colour in the first line's band
};
AboutScene GetAboutScene();
