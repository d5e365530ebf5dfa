#include "util/widgets/LinkLabel.h"

#include "framework/Module.h"
#include "framework/MbString.h"

#include <algorithm>
#include <climits>
#include <memory>

// 1: transparent, 0: opaque.
const BYTE g_handAndTable[kHandRows][kHandCols] = {
    {1, 1, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {1, 1, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {1, 1, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {1, 1, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {1, 1, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {1, 1, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1},
    {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1},
    {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1},
    {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1},
    {1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1},
    {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1},
    {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1},
};

// Where the AND table is 0: 1 white, 0 black.
const BYTE g_handXorTable[kHandRows][kHandCols] = {
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 0, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0},
    {0, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0},
    {0, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0},
    {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0},
    {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0},
    {0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
};

// Made on first use and shared by all labels; never destroyed, it lives as
// long as the process.
HCURSOR g_hHandCursor = nullptr;

namespace {

struct StyleGroup {
    const char* const* ppszWords;
    void (*pfnSet)(LOGFONTA*);
};

const char* const kBoldWords[] = {"太字", "ボールド", "BOLD", nullptr};
const char* const kItalicWords[] = {"イタリック", "斜体", "ITALIC", nullptr};
const char* const kUnderlineWords[] = {"下線", "アンダーライン", "UNDERLINE", nullptr};
const char* const kStrikeOutWords[] = {"取り消し線", "取消線", "取消し線", "STRIKEOUT", nullptr};

const StyleGroup kStyleGroups[] = {
    {kBoldWords, [](LOGFONTA* p) { p->lfWeight = FW_BOLD; }},
    {kItalicWords, [](LOGFONTA* p) { p->lfItalic = 1; }},
    {kUnderlineWords, [](LOGFONTA* p) { p->lfUnderline = 1; }},
    {kStrikeOutWords, [](LOGFONTA* p) { p->lfStrikeOut = 1; }},
};

// The font the parent dialog gives its controls; NULL means the system font.
HFONT ParentFont(HWND hWnd)
{
    HWND hParent = ::GetParent(hWnd);
    return hParent ? reinterpret_cast<HFONT>(::SendMessageA(hParent, WM_GETFONT, 0, 0)) : nullptr;
}

} // namespace

// Rows of a device-dependent monochrome bitmap, as CreateCursor takes them,
// are padded to whole 16-bit words.
int HandPlaneStride(int cx)
{
    return cx > 0 ? ((cx + 15) / 16) * 2 : 0;
}

std::vector<BYTE> BuildHandPlanes(int cx, int cy)
{
    if (cx <= 0 || cy <= 0)
        return {};
    const size_t nStride = static_cast<size_t>(HandPlaneStride(cx));
    const size_t nPlane = nStride * static_cast<size_t>(cy);
    std::vector<BYTE> planes(nPlane * 2, 0x00);
    std::fill(planes.begin(), planes.begin() + static_cast<ptrdiff_t>(nPlane), 0xFF);
    BYTE* pAnd = planes.data();
    BYTE* pXor = planes.data() + nPlane;
    for (int r = 0; r < cy && r < kHandRows; ++r) {
        for (int c = 0; c < cx && c < kHandCols; ++c) {
            const size_t i = static_cast<size_t>(r) * nStride + static_cast<size_t>(c / 8);
            const BYTE bit = static_cast<BYTE>(0x80 >> (c % 8));
            if (g_handAndTable[r][c] == 0)
                pAnd[i] &= static_cast<BYTE>(~bit);
            if (g_handXorTable[r][c] == 1)
                pXor[i] |= bit;
        }
    }
    return planes;
}

HCURSOR MakeHandCursor(int cx, int cy)
{
    std::vector<BYTE> planes = BuildHandPlanes(cx, cy);
    if (planes.empty())
        return nullptr;
    const BYTE* pAnd = planes.data();
    const BYTE* pXor = planes.data() + planes.size() / 2;
    return ::CreateCursor(AfxGetInstanceHandle(), 0, 0, cx, cy, pAnd, pXor);
}

void ApplyFontStyle(const char* pszStyle, LOGFONTA* pLogFont)
{
    CString strUpper(pszStyle);
    strUpper.MakeUpper();
    for (const StyleGroup& group : kStyleGroups) {
        for (const char* const* ppsz = group.ppszWords; *ppsz; ++ppsz) {
            if (MbFind(strUpper, *ppsz) >= 0) {
                group.pfnSet(pLogFont);
                break;
            }
        }
    }
}

void BuildLinkLogFont(const char* pszFace, int nSize, const char* pszStyle, LOGFONTA* pLogFont)
{
    *pLogFont = LOGFONTA{};
    // Tenths of a point; CreatePointFontIndirect ignores the sign.
    pLogFont->lfHeight = nSize == INT_MIN ? INT_MAX : -nSize;
    pLogFont->lfCharSet = DEFAULT_CHARSET;
    MbCopyWhole(pLogFont->lfFaceName, LF_FACESIZE, pszFace);
    ApplyFontStyle(pszStyle, pLogFont);
}

// clang-format off
BEGIN_MESSAGE_MAP(CLinkLabel, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()
// clang-format on

CLinkLabel::~CLinkLabel()
{
    // The control may outlive this object for a moment; it must not keep
    // drawing with the font that goes with the object.
    if (m_pFont && m_hWnd && ::IsWindow(m_hWnd))
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(ParentFont(m_hWnd)), FALSE);
}

void CLinkLabel::SetLinkColor(COLORREF crText)
{
    m_crText = crText;
    if (m_hWnd)
        Invalidate(TRUE);
}

// The new font is made before the old one is deleted, and the control is
// handed a live font (the new one, or the dialog's when none could be made)
// before the old one goes, so it never draws with a deleted handle.
BOOL CLinkLabel::SetLinkFont(CString strFace, int nSize, CString strStyle)
{
    const std::unique_ptr<CFont> pOld = std::move(m_pFont);
    m_pFont.reset(CreateFontFromSpec(strFace, nSize, strStyle));
    if (!m_pFont) {
        if (pOld && m_hWnd)
            SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(ParentFont(m_hWnd)), TRUE);
        return FALSE;
    }
    if (m_hWnd) {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_pFont->m_hObject), TRUE);
        Invalidate(TRUE);
    }
    return TRUE;
}

void CLinkLabel::EnableHandCursor(BOOL bEnable)
{
    if (!bEnable)
        m_bHandCursor = FALSE;
    else if (CreateHandCursor())
        m_bHandCursor = TRUE;
}

// The cursor is built for the system cursor size read once, so the planes and
// the size given to CreateCursor always agree.
BOOL CLinkLabel::CreateHandCursor()
{
    if (g_hHandCursor)
        return TRUE;
    g_hHandCursor =
        MakeHandCursor(::GetSystemMetrics(SM_CXCURSOR), ::GetSystemMetrics(SM_CYCURSOR));
    return g_hHandCursor != nullptr;
}

CFont* CLinkLabel::CreateFontFromSpec(CString strFace, int nSize, CString strStyle)
{
    LOGFONTA lf;
    BuildLinkLogFont(strFace, nSize, strStyle, &lf);
    auto pFont = std::make_unique<CFont>();
    if (!pFont->CreatePointFontIndirect(&lf, nullptr))
        return nullptr;
    return pFont.release();
}

HBRUSH CLinkLabel::CtlColor(CDC* pDC, UINT nCtlColor)
{
    pDC->SetTextColor(m_crText);
    pDC->SetBkMode(TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

BOOL CLinkLabel::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (m_bHandCursor && g_hHandCursor) {
        ::SetCursor(g_hHandCursor);
        return TRUE;
    }
    return static_cast<BOOL>(Default());
}
