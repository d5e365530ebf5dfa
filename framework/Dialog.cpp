#include "framework/Dialog.h"

#include "framework/Module.h"
#include "framework/WideText.h"

#include <cstring>

HWND CDataExchange::Control(int nID) const
{
    return ::GetDlgItem(m_pDlgWnd->m_hWnd, nID);
}

void DDX_Control(CDataExchange* pDX, int nID, CWnd& rControl)
{
    if (!rControl.m_hWnd)
        rControl.SubclassWindow(pDX->Control(nID));
}

void DDX_CBIndex(CDataExchange* pDX, int nID, int& index)
{
    HWND h = pDX->Control(nID);
    if (pDX->m_bSaveAndValidate)
        index = static_cast<int>(::SendMessageA(h, CB_GETCURSEL, 0, 0));
    else
        ::SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// The box's text as UTF-16, converted explicitly: on a process whose code
// page is not 932 the ANSI calls would lose what that code page lacks.
void DDX_CBString(CDataExchange* pDX, int nID, CString& value)
{
    HWND h = pDX->Control(nID);
    if (pDX->m_bSaveAndValidate) {
        value = ReadWindowText(h);
        return;
    }
    const CWideText wide = ToWide(value);
    if (::SendMessageW(h, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(wide.c_str())) == CB_ERR)
        ::SetWindowTextW(h, wide.c_str());
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

// clang-format off
BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()
// clang-format on

INT_PTR CALLBACK CDialog::DialogProc(HWND hDlg, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    // From here on the dialog's messages run through the object's maps; the
    // dialog manager's own procedure stays underneath as the default.
    auto* pDlg = reinterpret_cast<CDialog*>(lParam);
    if (!pDlg || !pDlg->SubclassWindow(hDlg))
        return TRUE;
    try {
        return pDlg->OnInitDialog();
    } catch (...) {
        return TRUE;
    }
}

BOOL CDialog::CreateFromTemplate(HWND hOwner)
{
    if (m_hWnd)
        return FALSE;
    HWND h = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), hOwner,
                                  &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (h && m_hWnd != h) {
        // Initialisation never reached us: do not keep a window we cannot serve.
        ::DestroyWindow(h);
        return FALSE;
    }
    return h != nullptr;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    m_nIDTemplate = nIDTemplate;
    if (pParentWnd)
        m_pParentWnd = pParentWnd;
    return CreateFromTemplate(m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
}

INT_PTR CDialog::DoModal()
{
    HWND hOwner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!hOwner && AfxGetMainWnd())
        hOwner = AfxGetMainWnd()->m_hWnd;

    // Only an owner this call disabled is enabled again afterwards.
    BOOL bEnableOwner = FALSE;
    if (hOwner && ::IsWindowEnabled(hOwner)) {
        ::EnableWindow(hOwner, FALSE);
        bEnableOwner = TRUE;
    }
    m_nModalResult = -1;
    if (CreateFromTemplate(hOwner))
        RunModalLoop(MLF_SHOWONIDLE);
    if (bEnableOwner)
        ::EnableWindow(hOwner, TRUE);
    if (m_hWnd) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        DestroyWindow();
    }
    return m_nModalResult;
}

BOOL CDialog::OnInitDialog()
{
    ExecuteDlgInit();
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    if (!m_hWnd)
        return FALSE;
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::EndDialog(int nResult)
{
    EndModalLoop(nResult);
    if (m_hWnd)
        ::EndDialog(m_hWnd, nResult); // hides the window
}

int CDialog::RunModalLoop(DWORD dwFlags)
{
    m_bInModalLoop = TRUE;
    m_bContinueModal = TRUE;
    if ((dwFlags & MLF_SHOWONIDLE) && m_hWnd) {
        ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
        ::UpdateWindow(m_hWnd);
    }
    MSG msg;
    while (m_bContinueModal) {
        BOOL r = ::GetMessageA(&msg, nullptr, 0, 0);
        if (r == -1)
            break;
        if (r == 0) {
            // Leave WM_QUIT for the loops further out.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!AfxPreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    m_bInModalLoop = FALSE;
    m_bContinueModal = FALSE;
    return m_nModalResult;
}

void CDialog::EndModalLoop(int nResult)
{
    m_nModalResult = nResult;
    if (m_bInModalLoop) {
        m_bContinueModal = FALSE;
        ::PostMessageA(m_hWnd, WM_NULL, 0, 0); // wake GetMessage
    }
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST)
        return FALSE;
    return ::IsDialogMessageA(m_hWnd, pMsg);
}

BOOL CDialog::ExecuteDlgInit()
{
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hRes = ::FindResourceA(hInst, MAKEINTRESOURCEA(m_nIDTemplate), MAKEINTRESOURCEA(240));
    if (!hRes)
        return TRUE; // nothing to add
    HGLOBAL hData = ::LoadResource(hInst, hRes);
    const BYTE* p = hData ? static_cast<const BYTE*>(::LockResource(hData)) : nullptr;
    if (!p)
        return FALSE;
    const BYTE* end = p + ::SizeofResource(hInst, hRes);
    // Records of: control id (WORD), message (WORD, 16-bit numbering), data
    // length (DWORD), data; a zero id ends them.
    while (p + 2 <= end) {
        WORD nID, nMsg;
        DWORD nLen;
        std::memcpy(&nID, p, 2);
        if (nID == 0 || p + 8 > end)
            break;
        std::memcpy(&nMsg, p + 2, 2);
        std::memcpy(&nLen, p + 4, 4);
        const BYTE* data = p + 8;
        if (nLen > static_cast<DWORD>(end - data) || nLen == 0 || data[nLen - 1] != 0)
            return FALSE;
        UINT msg = 0;
        if (nMsg == 0x0403)
            msg = CB_ADDSTRING;
        else if (nMsg == 0x0401)
            msg = LB_ADDSTRING;
        // The template's strings are the program's text: they go over as
        // UTF-16, whatever the process's code page.
        if (msg) {
            const CWideText wide = ToWide(reinterpret_cast<const char*>(data));
            ::SendDlgItemMessageW(m_hWnd, nID, msg, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        }
        p = data + nLen;
    }
    return TRUE;
}
