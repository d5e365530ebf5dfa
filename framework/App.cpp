#include "framework/App.h"

namespace {
CWinApp* g_pApp = nullptr;
} // namespace

CWinApp::CWinApp()
{
    g_pApp = this;
}

// A main window the application leaves set would outlive it in the slot.
CWinApp::~CWinApp()
{
    if (g_pApp == this) {
        g_pApp = nullptr;
        m_pMainWnd = nullptr;
    }
}

// clang-format off
BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()
// clang-format on

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::Run()
{
    for (;;) {
        BOOL r = ::GetMessageA(&m_msgCur, nullptr, 0, 0);
        if (r == 0 || r == -1)
            break;
        if (!AfxPreTranslateMessage(&m_msgCur)) {
            ::TranslateMessage(&m_msgCur);
            ::DispatchMessageA(&m_msgCur);
        }
    }
    return ExitInstance();
}

int CWinApp::ExitInstance()
{
    return m_msgCur.message == WM_QUIT ? static_cast<int>(m_msgCur.wParam) : 0;
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

int AfxWinMain(HINSTANCE hInstance)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    AfxSetInstanceHandle(hInstance);
    if (!app->InitInstance())
        return app->ExitInstance();
    return app->Run();
}
