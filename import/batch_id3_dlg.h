// The choice dialog of the batch conversion: one of three directions between
// the ID3v1 title and artist and the file name, confirmed with the OK
// picture (or Enter) and dropped with the exit picture (or Escape).
#pragma once

#include "skin/skinned_dialog.h"

class CBatchId3Dlg : public CSkinnedDialog {
public:
    explicit CBatchId3Dlg(CWnd* pParent = nullptr);

    // -1 until the dialog is confirmed; then 1, 2 or 3 (BatchChoice).
    int m_nChoice;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;  // the checked direction, then close
};
