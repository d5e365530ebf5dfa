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

// A shared image: the system keeps it until the process ends. The shell would
// stretch a 16-pixel image to a larger scale's size and blur it, so the
// icon's own image of that size is taken.
HICON AfxLoadSmallIcon(UINT nId)
{
    return static_cast<HICON>(LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nId), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

CWnd*& AfxMainWndSlot()
{
    static CWnd* s_pMainWnd = nullptr;
    return s_pMainWnd;
}
