#pragma once
// A static text control shown as a link: coloured text in its own font on the
// parent's background, with a pointing-hand cursor the class draws itself.
// Clicks are the parent's business (SS_NOTIFY and a command handler).
#include "framework/Controls.h"
#include "framework/Gdi.h"
#include "framework/String.h"

#include <memory>
#include <vector>

// The hand image, one byte per pixel (0 or 1), rows top to bottom.
constexpr int kHandRows = 17;
constexpr int kHandCols = 16;
extern const BYTE g_handAndTable[kHandRows][kHandCols];
extern const BYTE g_handXorTable[kHandRows][kHandCols];

// The hand cursor shared by every label of the process.
extern HCURSOR g_hHandCursor;

// Bytes per row of a cursor plane of width cx.
int HandPlaneStride(int cx);

// The AND plane followed by the XOR plane of a cx by cy cursor holding the
// hand in its top-left corner; each plane is HandPlaneStride(cx) * cy bytes.
std::vector<BYTE> BuildHandPlanes(int cx, int cy);

// A new cx by cy hand cursor with its hot spot at (0, 0), or NULL.
HCURSOR MakeHandCursor(int cx, int cy);

// Sets weight, italic, underline and strike-out from the style words found
// in pszStyle; other fields are left alone.
void ApplyFontStyle(const char* pszStyle, LOGFONTA* pLogFont);

// The description CreateFontFromSpec hands to CFont::CreatePointFontIndirect.
void BuildLinkLogFont(const char* pszFace, int nSize, const char* pszStyle, LOGFONTA* pLogFont);

class CLinkLabel : public CStatic {
public:
    CLinkLabel() = default;
    ~CLinkLabel() override;

    void SetLinkColor(COLORREF crText);
    BOOL SetLinkFont(CString strFace, int nSize, CString strStyle);
    void EnableHandCursor(BOOL bEnable);

    static BOOL CreateHandCursor();
    static CFont* CreateFontFromSpec(CString strFace, int nSize, CString strStyle);

protected:
    DECLARE_MESSAGE_MAP()

    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);

    BOOL m_bHandCursor = FALSE;
    std::unique_ptr<CFont> m_pFont; // the label's own font; empty until one is made
    COLORREF m_crText = RGB(0, 0, 0);
};
