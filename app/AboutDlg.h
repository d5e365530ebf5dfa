#pragma once
// The version box: program name, copyright, usage notice and a link to the
// maker's software page.
#include "framework/Dialog.h"
#include "util/widgets/LinkLabel.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd* pParent = nullptr);
    ~CAboutDlg() override = default;

    BOOL OnInitDialog() override;

protected:
    DECLARE_MESSAGE_MAP()

    void DoDataExchange(CDataExchange* pDX) override;
    void OnLinkClicked();

    CLinkLabel m_link;
};
