#include "tray/SubclassTable.h"

UINT g_uTaskbarCreatedMsg = 0;
UINT g_uNotifyTaskbarCreatedMsg = 0;

namespace {

SUBCLASS_ENTRY g_table[kSubclassTableSize];
CRITICAL_SECTION g_lock;
bool g_bSetUp = false;

// Lives until the process ends, as the table does.
void SetUpOnce()
{
    if (g_bSetUp)
        return;
    InitializeCriticalSection(&g_lock);
    ZeroMemory(g_table, sizeof(g_table));
    g_bSetUp = true;
}

class CTableLock {
public:
    CTableLock() { EnterCriticalSection(&g_lock); }
    ~CTableLock() { LeaveCriticalSection(&g_lock); }
    CTableLock(const CTableLock&) = delete;
    CTableLock& operator=(const CTableLock&) = delete;
};

SUBCLASS_ENTRY* Find(HWND hWnd)
{
    for (SUBCLASS_ENTRY& e : g_table)
        if (e.hWnd == hWnd)
            return &e;
    return nullptr;
}

} // namespace

BOOL RegisterSubclass(HWND hWnd, HWND hWndTarget, WNDPROC pfnOldProc)
{
    SetUpOnce();
    CTableLock lock;
    if (SUBCLASS_ENTRY* e = Find(hWnd)) {
        ++e->nRefCount;
        return TRUE;
    }
    SUBCLASS_ENTRY* e = Find(nullptr);
    if (!e)
        return FALSE;
    e->hWnd = hWnd;
    e->pfnOldProc = pfnOldProc;
    e->hWndTarget = hWndTarget;
    e->nRefCount = 1;
    return TRUE;
}

BOOL UnregisterSubclass(HWND hWnd, SUBCLASS_ENTRY* pEntry)
{
    if (!g_bSetUp || !hWnd)
        return FALSE;
    CTableLock lock;
    SUBCLASS_ENTRY* e = Find(hWnd);
    if (!e)
        return FALSE;
    if (--e->nRefCount != 0)
        return FALSE;
    if (pEntry)
        *pEntry = *e;
    e->hWnd = nullptr;
    e->pfnOldProc = nullptr;
    e->hWndTarget = nullptr;
    return TRUE;
}

WNDPROC LookupSubclass(HWND hWnd, SUBCLASS_ENTRY* pEntry)
{
    // Runs for every message on the owning thread; registration happens on
    // that same thread, so no lock is taken here.
    if (!g_bSetUp || !hWnd)
        return nullptr;
    const SUBCLASS_ENTRY* e = Find(hWnd);
    if (!e)
        return nullptr;
    if (pEntry)
        *pEntry = *e;
    return e->pfnOldProc;
}

LRESULT CALLBACK SubclassWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    SUBCLASS_ENTRY entry = {};
    WNDPROC pfnOld = LookupSubclass(hWnd, &entry);
    if (!pfnOld)
        return DefWindowProcA(hWnd, message, wParam, lParam);
    if (message == g_uTaskbarCreatedMsg && g_uTaskbarCreatedMsg != 0 && entry.hWndTarget)
        PostMessageA(entry.hWndTarget, message, wParam, lParam);
    return CallWindowProcA(pfnOld, hWnd, message, wParam, lParam);
}
