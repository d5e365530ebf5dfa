#pragma once
// The search service's request address for a query, and handing it to the shell.
#include "framework/String.h"

// The search service's address; the request templates follow it.
inline constexpr char kSearchService[] = "http://search.zumtal.example";

// Search modes: the indexes of the mode box's entries.
enum SearchMode { kModeAnd = 0, kModeOr = 1, kModeExpert = 2 };

// Empties *out, then appends the query percent-encoded for the address.
void EncodeSearchText(const char* text, CString* out);

// The request address for the mode's template with the encoded query; a mode
// outside 0..2 (-1: nothing selected) uses the mode-0 template.
CString BuildSearchAddress(int mode, const char* text);

// Opens the address in the user's browser (OpenWebPage, so a test watches it
// through SetWebPageOpener); a failure is not reported.
void LaunchSearchAddress(const char* address);
