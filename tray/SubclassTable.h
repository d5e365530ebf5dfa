#pragma once
// The process-wide window subclass table. Only top-level windows receive the
// shell's "TaskbarCreated" broadcast, so a child window that needs it
// subclasses its top-level owner here and gets a posted copy.
#include <windows.h>

struct SUBCLASS_ENTRY {
    HWND hWnd;          // NULL marks a free entry
    WNDPROC pfnOldProc; // the window's procedure before the subclassing
    HWND hWndTarget;    // receives the posted copy of "TaskbarCreated"
    LONG nRefCount;
};

constexpr int kSubclassTableSize = 100;

extern UINT g_uTaskbarCreatedMsg;
extern UINT g_uNotifyTaskbarCreatedMsg;

// FALSE when the table is full and nothing was stored.
BOOL RegisterSubclass(HWND hWnd, HWND hWndTarget, WNDPROC pfnOldProc);
// TRUE when the window's last registration was removed; *pEntry then holds it.
BOOL UnregisterSubclass(HWND hWnd, SUBCLASS_ENTRY* pEntry);
// The window's previous procedure, or NULL when it is not in the table.
WNDPROC LookupSubclass(HWND hWnd, SUBCLASS_ENTRY* pEntry = nullptr);
LRESULT CALLBACK SubclassWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
