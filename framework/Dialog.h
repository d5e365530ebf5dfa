#pragma once
// Dialogs from templates, modeless (Create) or modal (DoModal), with data
// exchange between members and controls.
#include "framework/Wnd.h"

class CDialog;

class CDataExchange {
public:
    CDataExchange(CDialog* pDlg, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlg)
    {
    }
    BOOL m_bSaveAndValidate; // TRUE: controls to members
    CDialog* m_pDlgWnd;
    HWND Control(int nID) const;
};

// Binds a control of the dialog to an object on the first exchange.
void DDX_Control(CDataExchange* pDX, int nID, CWnd& rControl);
// The selected index of a combo box (-1: none).
void DDX_CBIndex(CDataExchange* pDX, int nID, int& index);
// A combo box's text; on load the first list entry that begins with the text
// is selected, and only when none does is the text set directly.
void DDX_CBString(CDataExchange* pDX, int nID, CString& value);

// RunModalLoop flag: show the window once the loop starts.
constexpr DWORD MLF_SHOWONIDLE = 0x0001;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange*) {}

    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    void EndDialog(int nResult);
    int RunModalLoop(DWORD dwFlags = 0);
    void EndModalLoop(int nResult);

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    DECLARE_MESSAGE_MAP()

    // Fills controls from the template's initialisation data (RT_DLGINIT).
    BOOL ExecuteDlgInit();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    int m_nModalResult = -1;

private:
    static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL CreateFromTemplate(HWND hOwner);

    BOOL m_bInModalLoop = FALSE;
    BOOL m_bContinueModal = FALSE;
};
