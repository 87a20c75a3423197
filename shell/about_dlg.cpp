#include "shell/about_dlg.h"

#include <mutex>

#include "base/codepage.h"
#include "resource.h"
#include "ui/text.h"

namespace {

constexpr COLORREF kTextColour = RGB(0, 255, 125);
constexpr int kLineSpacing = 30;
constexpr int kStartAboveBottom = 100;
constexpr int kReturnAboveBottom = 50;
constexpr DWORD kFrameMs = 30;

const char* const kAboutText[] = {
    "名称：MP3歌词批量导入工具(Versemill)",
    "版本：2.2 版",
    "作者：Quillan",
    "时间：2006年2月",
    "用途：让Windows Media Player中能同步显示歌词!",
    "实现LRC歌词文件简单编辑时间功能!",
    "感谢：阿杰一直以来的支持和鼓励!",
    " ( ^ 0 ^ )",
    "联系：quillan@versemill.org",
    "版权所有：Quillan",
};

const char* const kPersonalNote[] = {
    "做这个小工具，是因为我喜欢一边听歌一边看歌词,",
    "可是手头的MP3大多没有歌词，一首首地贴太麻烦。",
    "2005年12月的一个晚上，朋友问我能不能",
    "让播放器里的歌词跟着歌声一句句地出来,",
    "于是有了第一版，那天窗外下着今冬的第一场雪。",
    "后来又陆续加了编辑时间和批量改名的功能,",
    "希望它也能给你带来一点方便和快乐!",
};

const char* const kGreeting = "祝天下程序员心想事成!";

// Everything the openings of the about box and its worker share. The lock
// makes a text change and the drawing of a frame exclude each other.
struct CAboutShared {
    CAboutShared() : hStop(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    ~CAboutShared() {
        if (hOldBitmap) ::SelectObject(hDC, hOldBitmap);
        if (hBitmap) ::DeleteObject(hBitmap);
        if (hDC) ::DeleteDC(hDC);
        if (hStop) ::CloseHandle(hStop);
    }

    std::mutex lock;
    HANDLE hStop;  // s_evAboutStop: auto-reset
    HDC hDC = nullptr;            // s_dcAbout
    HBITMAP hBitmap = nullptr;    // s_bmpAbout
    HGDIOBJ hOldBitmap = nullptr;
    SIZE size = {0, 0};           // s_sizeAbout
    std::vector<std::string> lines;  // s_aboutLines, s_nAboutLineCount
    bool bPaused = false;         // s_bAboutPaused
    bool bTextShown = false;      // s_bAboutTextShown
    int nPaintState = ABOUT_NEVER_STARTED;
    int nTop = 0;
    unsigned long nTicks = 0;
    unsigned long nFrames = 0;

    // With the lock held.
    void ClearSurface() {
        if (!hDC) return;
        RECT rect = {0, 0, size.cx, size.cy};
        ::FillRect(hDC, &rect, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    template <size_t N>
    void SetLines(const char* const (&texts)[N]) {
        lines.clear();
        for (const char* text : texts) lines.push_back(Utf8ToCp936(text));
    }
    void BuildText() {
        // The lock, held by the caller, keeps the worker off the lines; a
        // new text also ends a pause.
        if (bTextShown) {
            SetLines(kPersonalNote);
            bTextShown = false;
        } else {
            SetLines(kAboutText);
            bTextShown = true;
        }
        bPaused = false;
        ClearSurface();
    }
};

CAboutShared& Shared() {
    static CAboutShared s_shared;
    return s_shared;
}

}  // namespace

int NextAboutTop(int nTop, int nLineCount, int nClientBottom) {
    --nTop;
    if (nTop < -kLineSpacing * nLineCount) nTop = nClientBottom - kReturnAboveBottom;
    return nTop;
}

void BuildAboutText() {
    CAboutShared& shared = Shared();
    std::lock_guard<std::mutex> guard(shared.lock);
    shared.BuildText();
}

AboutScene GetAboutScene() {
    CAboutShared& shared = Shared();
    std::lock_guard<std::mutex> guard(shared.lock);
    AboutScene scene;
    scene.nPaintState = shared.nPaintState;
    scene.lines = shared.lines;
    scene.bPaused = shared.bPaused;
    scene.bTextShown = shared.bTextShown;
    scene.nTop = shared.nTop;
    scene.nTicks = shared.nTicks;
    scene.nFrames = shared.nFrames;
    scene.sizeSurface = shared.size;
    if (shared.hDC) {
        for (int y = 0; y < kLineSpacing && y < shared.size.cy; ++y)
            for (int x = 0; x < shared.size.cx; ++x)
                if (::GetPixel(shared.hDC, x, y) == kTextColour) ++scene.nFirstLinePixels;
    }
    return scene;
}

// ---------------------------------------------------------------------------

CAboutDlg::CAboutDlg(CWnd* pParent)
    : CDialog(IDD_ABOUTBOX, pParent), m_brBlack(::CreateSolidBrush(RGB(0, 0, 0))), m_hThread(nullptr) {}

CAboutDlg::~CAboutDlg() {
    if (m_hWnd) DestroyWindow();  // stops the worker first
    if (m_brBlack) ::DeleteObject(m_brBlack);
}

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_WM_RBUTTONDOWN()
    ON_WM_RBUTTONDBLCLK()
    ON_WM_DESTROY()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

void CAboutDlg::OnPaint() {
    // Nothing is drawn here: the worker draws every frame.
    PAINTSTRUCT ps;
    HDC hDC = ::BeginPaint(m_hWnd, &ps);
    CAboutShared& shared = Shared();
    bool bStart = false;
    {
        std::lock_guard<std::mutex> guard(shared.lock);
        if (!m_hThread && shared.nPaintState == ABOUT_NEVER_STARTED && hDC && !shared.hDC) {
            // The surface is made once, at the size of this first window.
            RECT rcWindow;
            GetWindowRect(&rcWindow);
            shared.size = SIZE{rcWindow.right - rcWindow.left, rcWindow.bottom - rcWindow.top};
            shared.hDC = ::CreateCompatibleDC(hDC);
            shared.hBitmap = ::CreateCompatibleBitmap(hDC, shared.size.cx, shared.size.cy);
            if (shared.hDC && shared.hBitmap) {
                shared.hOldBitmap = ::SelectObject(shared.hDC, shared.hBitmap);
                shared.ClearSurface();
                ::SetTextColor(shared.hDC, kTextColour);
                ::SetBkMode(shared.hDC, TRANSPARENT);
                bStart = true;
            } else {
                // Without a surface there is nothing to animate; the next
                // opening tries again.
                if (shared.hBitmap) ::DeleteObject(shared.hBitmap);
                if (shared.hDC) ::DeleteDC(shared.hDC);
                shared.hBitmap = nullptr;
                shared.hDC = nullptr;
                shared.size = SIZE{0, 0};
            }
        } else if (!m_hThread && (shared.nPaintState == ABOUT_CLOSED ||
                                  (shared.nPaintState == ABOUT_NEVER_STARTED && shared.hDC))) {
            // Closed before, or a surface whose worker could not be started:
            // the surface is drawn on again, never made a second time.
            bStart = true;
        }
    }
    if (bStart) StartAnimation();
    ::EndPaint(m_hWnd, &ps);
}

void CAboutDlg::StartAnimation() {
    CAboutShared& shared = Shared();
    // A stop request left over from an opening whose worker had already
    // ended must not end this one at once.
    ::ResetEvent(shared.hStop);
    {
        std::lock_guard<std::mutex> guard(shared.lock);
        shared.nFrames = 0;
    }
    m_hThread = ::CreateThread(nullptr, 0, &CAboutDlg::AboutAnimationThread, m_hWnd, 0, nullptr);
    if (!m_hThread) return;
    std::lock_guard<std::mutex> guard(shared.lock);
    shared.nPaintState =
        shared.nPaintState == ABOUT_NEVER_STARTED ? ABOUT_STARTED_FIRST : ABOUT_RESTARTED;
}

DWORD WINAPI CAboutDlg::AboutAnimationThread(LPVOID pParam) {
    HWND hWnd = static_cast<HWND>(pParam);
    CAboutShared& shared = Shared();
    RECT rcClient;
    ::GetClientRect(hWnd, &rcClient);
    HDC hDC = ::GetDC(hWnd);
    {
        std::lock_guard<std::mutex> guard(shared.lock);
        shared.nTop = rcClient.bottom - kStartAboveBottom;
        shared.BuildText();
    }
    for (;;) {
        DWORD dwWait = ::WaitForSingleObject(shared.hStop, kFrameMs);
        // A failed wait would never end: the worker stops then too.
        if (dwWait != WAIT_TIMEOUT) break;
        std::lock_guard<std::mutex> guard(shared.lock);
        ++shared.nTicks;
        if (shared.bPaused) continue;
        std::wstring strLine;
        for (size_t i = 0; i < shared.lines.size(); ++i) {
            strLine = Wide(shared.lines[i]);
            ::TextOutW(shared.hDC, 0, kLineSpacing * static_cast<int>(i), strLine.c_str(),
                       static_cast<int>(strLine.size()));
        }
        ::BitBlt(hDC, 0, shared.nTop, shared.size.cx, shared.size.cy, shared.hDC, 0, 0, SRCCOPY);
        shared.nTop = NextAboutTop(shared.nTop, static_cast<int>(shared.lines.size()), rcClient.bottom);
        ++shared.nFrames;
    }
    ::ReleaseDC(hWnd, hDC);
    return 0;
}

void CAboutDlg::OnLButtonDown(UINT nFlags, CPoint point) {
    {
        CAboutShared& shared = Shared();
        std::lock_guard<std::mutex> guard(shared.lock);
        shared.bPaused = !shared.bPaused;
    }
    CDialog::OnLButtonDown(nFlags, point);
}

void CAboutDlg::OnRButtonDown(UINT nFlags, CPoint point) {
    BuildAboutText();
    CDialog::OnRButtonDown(nFlags, point);
}

void CAboutDlg::OnRButtonDblClk(UINT nFlags, CPoint point) {
    {
        CAboutShared& shared = Shared();
        std::lock_guard<std::mutex> guard(shared.lock);
        if (shared.bTextShown) {
            shared.lines.assign(1, Utf8ToCp936(kGreeting));
            shared.bTextShown = false;
        }
        shared.bPaused = false;
        shared.ClearSurface();
    }
    CDialog::OnRButtonDblClk(nFlags, point);
}

void CAboutDlg::OnDestroy() {
    CAboutShared& shared = Shared();
    if (m_hThread) {
        // The worker draws into this window: it must have ended before the
        // window goes. It never waits for this thread, but messages sent to
        // this thread meanwhile are answered.
        ::SetEvent(shared.hStop);
        for (;;) {
            DWORD dwWait = ::MsgWaitForMultipleObjects(1, &m_hThread, FALSE, INFINITE, QS_SENDMESSAGE);
            if (dwWait != WAIT_OBJECT_0 + 1) break;
            MSG msg;
            ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        ::CloseHandle(m_hThread);
        m_hThread = nullptr;
    }
    {
        std::lock_guard<std::mutex> guard(shared.lock);
        if (shared.nPaintState != ABOUT_NEVER_STARTED) shared.nPaintState = ABOUT_CLOSED;
        shared.bTextShown = false;
    }
    CDialog::OnDestroy();
}

HBRUSH CAboutDlg::OnCtlColor(HDC hDC, HWND hCtl, UINT nCtlColor) {
    if (nCtlColor == CTLCOLOR_DLG) return m_brBlack;
    return CDialog::OnCtlColor(hDC, hCtl, nCtlColor);
}
