// A file list box whose entries the user reorders by dragging one with the
// left mouse button (a black insertion line shows where it goes; the list
// scrolls while the pointer is above or below it), and whose Delete key asks
// the application's main window to remove the selected file.
//
// The list box must be unsorted and single-selection. Each entry's data word
// belongs to the owner and moves with its entry; the Delete key reads it as a
// pointer to the entry's NUL-terminated GBK path.
#pragma once

#include <windows.h>

#include "shell/messages.h"
#include "ui/controls.h"

constexpr UINT_PTR ID_TIMER_SCROLL_DOWN = 100;  // pointer below the list
constexpr UINT_PTR ID_TIMER_SCROLL_UP = 101;    // pointer above the list

class CDragAndDropListBox : public CListBox {
public:
    CDragAndDropListBox();
    ~CDragAndDropListBox() override;

    // The auto-scroll interval in milliseconds for a pointer d pixels above
    // or below the list: 250 within the first item height, then 125, 83, 62...
    static int ScrollIntervalFor(int nDistance, int nItemHeight);

protected:
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnTimer(UINT_PTR nIDEvent);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnCaptureChanged(HWND hWndNew);

    // Moves the insertion line to nNewIndex (-1: after the last entry).
    void DrawInsertMark(int nNewIndex);
    // Moves the dragged entry to the marked place.
    void DropItem();
    void AutoScroll(CPoint point, const RECT& rcClient);

    // The timer calls, apart so that they can be watched.
    virtual void StartScrollTimer(UINT_PTR nIDEvent, UINT nElapse);
    virtual void StopScrollTimers();

    int m_nDragIndex;       // entry being dragged, -1 none
    int m_nDropIndex;       // marked place: before this entry, -1 after the last
    BOOL m_bDragging;       // from the first move with the button held to the release
    int m_nScrollInterval;  // of the running auto-scroll timer, 0 none
    UINT_PTR m_nScrollTimer;  // which of the two timers runs, 0 none

    DECLARE_MESSAGE_MAP()

private:
    void StopAutoScroll();
    // Where the line for nIndex runs; false when it lies outside the list.
    bool InsertLine(int nIndex, POINT* pFrom, POINT* pTo) const;
    void DrawLine(HDC hDC, int nIndex, COLORREF colour) const;
    // The marked place for a point inside the client rectangle.
    int DropIndexAt(CPoint point) const;
    // The line's next place one entry further, kept within the list.
    int StepIndex(int nIndex, int nStep) const;
    // Ends a drag without moving anything.
    void CancelDrag();
    HWND MainWindow() const;
};
