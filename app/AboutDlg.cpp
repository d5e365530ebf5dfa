#include "app/AboutDlg.h"

#include "app/WebPages.h"
#include "framework/Shell.h"
#include "res/resource.h"

CAboutDlg::CAboutDlg(CWnd* pParent) : CDialog(IDD_ABOUTBOX, pParent) {}

// clang-format off
BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
    ON_COMMAND(IDC_LINK, OnLinkClicked)
END_MESSAGE_MAP()
// clang-format on

void CAboutDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LINK, m_link);
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_link.SetLinkColor(RGB(0, 0, 255));
    // Without this font the label keeps the dialog's, still blue and with the hand.
    m_link.SetLinkFont("ＭＳ ゴシック", 90, "標準|下線");
    m_link.EnableHandCursor(TRUE);
    return TRUE;
}

// The label has SS_NOTIFY, so a click on it arrives here as its command.
void CAboutDlg::OnLinkClicked()
{
    // No browser is no reason to keep the box open.
    OpenWebPage(kMakerPage);
    EndDialog(1);
}
