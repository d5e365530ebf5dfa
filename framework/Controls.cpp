#include "framework/Controls.h"

CString CComboBox::GetLBText(int nIndex) const
{
    CString s;
    LRESULT n = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex));
    if (n > 0) {
        char* p = s.GetBuffer(static_cast<int>(n) + 1);
        LRESULT got =
            SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(p));
        s.ReleaseBuffer(got > 0 ? static_cast<int>(got) : 0);
    }
    return s;
}
