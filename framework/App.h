#pragma once
// The application object: exactly one per program, constructed before WinMain.
#include "framework/Module.h"
#include "framework/Wnd.h"

class CWinApp : public CCmdTarget {
public:
    CWinApp();
    ~CWinApp() override;

    virtual BOOL InitInstance();
    // The thread's message loop, until WM_QUIT; then ExitInstance.
    virtual int Run();
    virtual int ExitInstance();
    void OnHelp() {}

    // The module's main-window slot under the framework's name.
    CWnd*& m_pMainWnd = AfxMainWndSlot();

protected:
    DECLARE_MESSAGE_MAP()
    MSG m_msgCur = {};
};

// The framework's help command; nothing in the program sends it.
constexpr UINT ID_HELP = 57670;

CWinApp* AfxGetApp();

// The framework's entry, called from WinMain.
int AfxWinMain(HINSTANCE hInstance);
