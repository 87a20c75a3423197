// CDialog: a window from a dialog template, modal (DoModal) or modeless
// (Create), with OnInitDialog / OnOK / OnCancel and the data exchange
// between controls and members (DoDataExchange, UpdateData).
#pragma once

#include <windows.h>

#include <string>

#include "ui/wnd.h"

class CDataExchange;

class CDialog : public CWnd {
 public:
  // nIDTemplate 0: no template (a subclass runs a system dialog itself).
  explicit CDialog(UINT nIDTemplate = 0, CWnd* pParentWnd = nullptr);

  // Runs the dialog until EndDialog; returns its result, -1 when the
  // template could not be made into a window.
  virtual INT_PTR DoModal();
  // Makes the modeless dialog; false on failure.
  bool Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  bool Create() { return Create(m_nIDTemplate, m_pParentWnd); }

  // Ends a modal run with nResult; hides a modeless dialog.
  void EndDialog(int nResult);

  // Moves data between controls and members: bSaveAndValidate true reads
  // the controls (showing the message and returning false at the first
  // value refused), false fills them.
  bool UpdateData(bool bSaveAndValidate = true);

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;

 protected:
  // Fills the controls (UpdateData(false)); TRUE lets the system set the focus.
  virtual BOOL OnInitDialog();
  // Reads the controls; closes with IDOK when that succeeds.
  virtual void OnOK();
  // Closes with IDCANCEL.
  virtual void OnCancel();
  virtual void DoDataExchange(CDataExchange* pDX) {}

  // Modal run of a window this class does not make itself (a system
  // dialog): PreModal gives the owner to use and attaches the next window
  // the thread creates to this object, PostModal ends that. The attached
  // window keeps its own initialisation and OK / Cancel handling, and gets
  // the dialog colours and this class's table.
  HWND PreModal();
  void PostModal();

  HBRUSH OnCtlColor(HDC hDC, HWND hCtl, UINT nCtlColor);

  DECLARE_MESSAGE_MAP()

 private:
  LRESULT HandleInitDialog(WPARAM, LPARAM);
  void HandleOK();
  void HandleCancel();
  bool IsOwnDialog() const;
  static INT_PTR CALLBACK DialogProc(HWND, UINT msg, WPARAM, LPARAM);

  bool m_bInModal = false;
  bool m_bEndModal = false;
  int m_nModalResult = -1;
};

// One pass of the data exchange.
class CDataExchange {
 public:
  CDataExchange(CWnd* pDlgWnd, bool bSaveAndValidate)
      : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

  // The control that later checks refer to; its handle.
  HWND PrepareCtrl(int nIDC);
  HWND PrepareEditCtrl(int nIDC);
  // Puts the focus on the last control (its text selected for an edit) and
  // ends the exchange: UpdateData returns false.
  [[noreturn]] void Fail();

  bool m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
  HWND m_hWndLastControl = nullptr;
  bool m_bEditLastControl = false;

  struct Failure {};
};

// A decimal integer: "请键入一个整数。" when the text is not one.
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
// GBK text.
void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value);
// When reading: "请填入一个在%1和%2之间的整数。" with the bounds when value lies
// outside [minVal, maxVal]; the focus goes to the control read last.
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
// Check box or radio button state (0, 1, 2).
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// Attaches rControl to the control the first time.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
