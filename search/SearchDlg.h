#pragma once
// The search window: a query box with the history, a mode box and the search
// button. Created hidden by the main window; closing it only hides it.
#include "framework/Controls.h"
#include "framework/Dialog.h"

#include <vector>

class CSearchDlg : public CDialog {
public:
    explicit CSearchDlg(CWnd* pParent = nullptr);
    ~CSearchDlg() override;

protected:
    DECLARE_MESSAGE_MAP()

    HICON m_hSmallIcon = nullptr; // shared image, never freed
    std::vector<CString> m_history;
    CComboBox m_comboQuery;
    int m_nMode = -1;
    CString m_strQuery;
    bool m_bEnterSearches = false; // Enter outside the button searches instead of hiding

    void LoadHistory();
    void SaveHistory();
    void ShowHistory();
    void CalcInitialRect(RECT* pRect);

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    void OnRunSearch();
    void OnPasteQuery();
    void OnModeChange();
    void OnMove(int x, int y);
};
