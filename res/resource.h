#pragma once
// Resource and command identifiers, in disjoint ranges:
//   dialogs 100-130, strings 101, icons and menus 128-129,
//   controls 1000-1006, menu commands 32771-32775, system menu 0x0010.

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN 102
#define IDR_MAINFRAME 128
#define IDI_TRAY 129
#define IDR_TRAYMENU 129
#define IDD_SEARCH 130

#define IDC_LINK 1000
#define IDC_PASTE 1003
#define IDC_MODE 1005
#define IDC_QUERY 1006

#define ID_APP_EXIT_TRAY 32771
#define ID_SEARCH 32772
#define ID_OPEN_PORTAL 32773
#define ID_APP_ABOUT_TRAY 32774
#define ID_OPEN_MAKER 32775

#define IDM_ABOUTBOX 0x0010

#define IDC_STATIC_ANY -1

// The hidden main window's title: how other copies and the installer find a
// running copy, so it never changes.
#define QF_MAIN_TITLE "__@Qf@__"
