#include "search/SearchDlg.h"

#include "framework/Module.h"
#include "framework/Shell.h"
#include "res/resource.h"
#include "search/SearchPosition.h"
#include "search/SearchRequest.h"
#include "settings/Settings.h"

namespace {
const WPARAM kQueryLengthLimit = 256;
} // namespace

CSearchDlg::CSearchDlg(CWnd* pParent) : CDialog(IDD_SEARCH, pParent) {}

CSearchDlg::~CSearchDlg()
{
    // While the members still exist, so the window's last messages reach them.
    if (m_hWnd)
        DestroyWindow();
}

// clang-format off
BEGIN_MESSAGE_MAP(CSearchDlg, CDialog)
    ON_COMMAND(ID_SEARCH, OnRunSearch)
    ON_COMMAND(IDC_PASTE, OnPasteQuery)
    ON_CBN_SELCHANGE(IDC_MODE, OnModeChange)
    ON_WM_MOVE()
END_MESSAGE_MAP()
// clang-format on

void CSearchDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_QUERY, m_comboQuery);
    DDX_CBIndex(pDX, IDC_MODE, m_nMode);
    DDX_CBString(pDX, IDC_QUERY, m_strQuery);
}

BOOL CSearchDlg::OnInitDialog()
{
    // Fills the mode box from the template and binds the query box.
    CDialog::OnInitDialog();
    // The box shows a few dozen characters at most. Without a limit a huge
    // clipboard text is first inserted whole and then cut back to the box's
    // width one character at a time, which can stall the window for a minute.
    m_comboQuery.SendMessage(CB_LIMITTEXT, kQueryLengthLimit);

    RECT rc;
    CalcInitialRect(&rc);
    SetWindowPos(nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_NOZORDER);

    m_hSmallIcon = AfxLoadSmallIcon(IDI_TRAY);
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));

    // Not range-checked: a mode outside the box leaves nothing selected, and
    // searches then use the first template until the user picks a mode.
    m_nMode = Settings::LoadMode();
    m_bEnterSearches = Settings::LoadEnterSearches();
    LoadHistory();
    UpdateData(FALSE);
    return TRUE;
}

void CSearchDlg::OnRunSearch()
{
    UpdateData(TRUE);
    OpenWebPage(BuildSearchAddress(m_nMode, m_strQuery));
    // An empty query still opens the service's page, but it is no entry: it
    // would push the oldest one out and be skipped at the next start.
    if (!m_strQuery.IsEmpty()) {
        SaveHistory();
        // Rebuilding the list emptied the box; its first entry is the query again.
        UpdateData(FALSE);
    }
    m_comboQuery.SetEditSel(0, -1);
    m_comboQuery.SetFocus();
}

// Enter where the search button does not have the focus: the box's list, when
// open, takes its own Enter first.
void CSearchDlg::OnOK()
{
    if (m_bEnterSearches)
        OnRunSearch();
    else
        CDialog::OnOK();
}

void CSearchDlg::OnPasteQuery()
{
    m_comboQuery.SetEditSel(0, -1);
    m_comboQuery.SendMessage(WM_CLEAR);
    m_comboQuery.SendMessage(WM_PASTE);
    m_comboQuery.SetEditSel(0, -1);
    m_comboQuery.SetFocus();
}

void CSearchDlg::OnModeChange()
{
    UpdateData(TRUE);
    Settings::SaveMode(m_nMode);
}

void CSearchDlg::LoadHistory()
{
    m_history = Settings::LoadHistory();
    ShowHistory();
}

void CSearchDlg::SaveHistory()
{
    Settings::SaveQuery(m_strQuery, &m_history);
    ShowHistory();
}

// Rebuilding the list empties the box's text too.
void CSearchDlg::ShowHistory()
{
    m_comboQuery.ResetContent();
    for (const CString& strEntry : m_history)
        m_comboQuery.AddString(strEntry);
}

void CSearchDlg::CalcInitialRect(RECT* pRect)
{
    RECT rcWnd = {};
    GetWindowRect(&rcWnd);
    int x = 0, y = 0;
    const bool bStored = Settings::LoadPosition(&x, &y);
    CalcPlacement(bStored ? &x : nullptr, bStored ? &y : nullptr, rcWnd.right - rcWnd.left,
                  rcWnd.bottom - rcWnd.top, pRect);
}

void CSearchDlg::OnMove(int, int)
{
    Default();
    // Placement while hidden (creation, teardown) and minimising store nothing.
    if (IsIconic() || !IsWindowVisible())
        return;
    RECT rc = {};
    GetWindowRect(&rc);
    Settings::SavePosition(rc.left, rc.top);
}
