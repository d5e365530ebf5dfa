#include "search/SearchDlg.h"

#include "framework/Module.h"
#include "res/resource.h"
#include "search/SearchPosition.h"
#include "search/SearchRequest.h"
#include "search/Settings.h"
#include "util/registry/Registry.h"

namespace {

const WPARAM kQueryLengthLimit = 256;

// The stored entries in index order; missing, unreadable and empty values are
// skipped and the rest close up.
std::vector<CString> ReadStoredHistory(CRegistry& reg)
{
    std::vector<CString> history;
    for (int i = 0; i < kHistoryLimit; ++i) {
        CString strName;
        strName.Format(kHistoryValueFormat, i);
        CString strText;
        if (ReadStored(reg, kHistoryKey, strName, &strText) && !strText.IsEmpty())
            history.push_back(strText);
    }
    return history;
}

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

    CRegistry reg(kProgramKeyPath);
    // Not range-checked: a mode outside the box leaves nothing selected, and
    // searches then use the first template until the user picks a mode.
    DWORD dwMode = 0;
    m_nMode = ReadStored(reg, "", kModeValue, &dwMode) ? static_cast<int>(dwMode) : 0;
    LoadHistory(reg);
    UpdateData(FALSE);
    return TRUE;
}

void CSearchDlg::OnRunSearch()
{
    UpdateData(TRUE);
    LaunchSearchAddress(BuildSearchAddress(m_nMode, m_strQuery));
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
    CRegistry reg(kProgramKeyPath);
    reg.SetDword("", kModeValue, static_cast<DWORD>(m_nMode));
}

void CSearchDlg::LoadHistory(CRegistry& reg)
{
    m_history = ReadStoredHistory(reg);
    for (const CString& strEntry : m_history)
        m_comboQuery.AddString(strEntry);
}

// The query goes on top of what is stored now, not of what this window read
// at its start: another copy of the program may have stored searches since.
void CSearchDlg::SaveHistory()
{
    CRegistry reg(kProgramKeyPath);
    m_history = ReadStoredHistory(reg);
    PutQueryFirst(&m_history, m_strQuery);
    m_comboQuery.ResetContent();
    const int n = static_cast<int>(m_history.size());
    for (int i = 0; i < kHistoryLimit; ++i) {
        CString strName;
        strName.Format(kHistoryValueFormat, i);
        if (i < n) {
            reg.SetString(kHistoryKey, strName, m_history[static_cast<size_t>(i)]);
            m_comboQuery.AddString(m_history[static_cast<size_t>(i)]);
        } else {
            reg.DeleteString(kHistoryKey, strName);
        }
    }
}

void CSearchDlg::CalcInitialRect(RECT* pRect)
{
    CRegistry reg(kProgramKeyPath);
    RECT rcWnd = {};
    GetWindowRect(&rcWnd);
    // posY is only asked for once posX was there; one without the other is
    // worth nothing.
    int x = 0, y = 0;
    const BOOL bHaveX = ReadStored(reg, kPositionKey, kPosXValue, &x);
    const BOOL bHaveY = bHaveX && ReadStored(reg, kPositionKey, kPosYValue, &y);
    CalcPlacement(bHaveX ? &x : nullptr, bHaveY ? &y : nullptr, rcWnd.right - rcWnd.left,
                  rcWnd.bottom - rcWnd.top, pRect);
}

void CSearchDlg::OnMove(int, int)
{
    Default();
    // Placement while hidden (creation, teardown) and minimising store nothing.
    if (IsIconic() || !IsWindowVisible())
        return;
    CRegistry reg(kProgramKeyPath);
    RECT rc = {};
    GetWindowRect(&rc);
    reg.SetInt(kPositionKey, kPosXValue, rc.left);
    reg.SetInt(kPositionKey, kPosYValue, rc.top);
}
