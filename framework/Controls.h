#pragma once
// Thin objects over the standard controls the program uses.
#include "framework/WideText.h"
#include "framework/Wnd.h"

class CStatic : public CWnd {
public:
    // The framework adds WS_CHILD.
    BOOL Create(const char* pszText, DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID)
    {
        return CreateEx(0, "STATIC", pszText, dwStyle | WS_CHILD, rect, pParent, nID);
    }
};

class CComboBox : public CWnd {
public:
    // As UTF-16: the list keeps the text whatever the process's code page.
    int AddString(const char* psz) const
    {
        const CWideText wide = ToWide(psz);
        return static_cast<int>(
            ::SendMessageW(m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
    }
    void ResetContent() const { SendMessage(CB_RESETCONTENT); }
    // Start and end of the edit field's selection; -1 as end means the whole text.
    BOOL SetEditSel(int nStart, int nEnd) const
    {
        return static_cast<BOOL>(SendMessage(CB_SETEDITSEL, 0, MAKELPARAM(nStart, nEnd)));
    }
};
