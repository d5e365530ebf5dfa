#pragma once
// Multibyte text in the user's ANSI code page: a lead byte and its trail byte
// always travel together, and no search or comparison ever starts inside a pair.
#include <windows.h>

// The code page of the program's own text, whatever code page Windows runs
// the process with (framework/WideText.h converts it at the edges).
constexpr UINT kTextCodePage = 932;

// Three lead-byte tests, each deliberate:
// The code page's own: text compared, searched or cut as the user sees it
// (never true under single-byte code pages such as 1252).
bool MbIsLeadByte(unsigned char b);
// 0x80-0x9F and 0xE0-0xFF, wider than Shift-JIS and fixed, so a search
// address is the same bytes whatever the user's code page is.
bool MbIsAddressLeadByte(unsigned char b);
// 0x80-0xA0 and 0xE0-0xFF, fixed, so a key path splits off its value name at
// the same backslash whatever the user's code page is.
bool MbIsKeyPathLeadByte(unsigned char b);

// Bytes of the character at p: 2 for a lead byte whose trail byte is within
// the nAvail bytes left (-1: up to the terminating zero), otherwise 1; a lead
// byte without its trail byte stands alone. isLead picks the lead-byte test.
int MbCharLength(const char* p, int nAvail = -1, bool (*isLead)(unsigned char) = MbIsLeadByte);

// Copies as many whole characters of pszSrc as fit into nSize bytes with a
// terminating zero; a double-byte character that would not fit, or a lead
// byte without its trail byte, is left out.
// The number of bytes copied, the zero not counted.
int MbCopyWhole(char* pDest, int nSize, const char* pszSrc);

// Upper-cases a-z in place; double-byte characters are left whole.
void MbUpperInPlace(char* p, int nLength);

// First position of pszSub in psz where a match starts on a character
// boundary; -1 when there is none.
int MbFind(const char* psz, const char* pszSub);

// Case-insensitive equality of whole characters of text as Windows' ANSI
// calls give it: single bytes with a-z folded to A-Z, double-byte characters
// upper-cased as a whole through the system's locale, a trail byte never
// folded on its own.
bool MbEqualNoCase(const char* a, const char* b);

// As MbEqualNoCase, on at most the first nBytes bytes of each side; a
// double-byte character cut by the limit is compared as far as it reaches.
bool MbEqualNoCaseN(const char* a, const char* b, int nBytes);

// As MbEqualNoCase on the program's own text (code page 932, see
// framework/WideText.h), folded as Japanese whatever code page and locales the
// system has: a full-width a equals a full-width A everywhere.
bool MbEqualNoCaseJapanese(const char* a, const char* b);
