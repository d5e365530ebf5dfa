#include "framework/Module.h"

namespace {
HINSTANCE g_hInstance = nullptr;
HINSTANCE g_hResource = nullptr;
} // namespace

HINSTANCE AfxGetInstanceHandle()
{
    return g_hInstance ? g_hInstance : ::GetModuleHandleA(nullptr);
}

void AfxSetInstanceHandle(HINSTANCE hInstance)
{
    g_hInstance = hInstance;
}

HINSTANCE AfxGetResourceHandle()
{
    return g_hResource ? g_hResource : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE hInstance)
{
    g_hResource = hInstance;
}

CWnd*& AfxMainWndSlot()
{
    static CWnd* s_pMainWnd = nullptr;
    return s_pMainWnd;
}
