#pragma once
// The search service's request address for a query.
#include "framework/String.h"

// The search service's address; the request templates follow it.
inline constexpr char kSearchService[] = "http://search.zumtal.example";

// Search modes: the indexes of the mode box's entries.
enum SearchMode { kModeAnd = 0, kModeOr = 1, kModeExpert = 2 };

// Longest address handed to the shell. Longer ones break its launch under
// Wine (at about 1,000 characters with the handler's own command); this one
// still takes whole any query of single bytes the query box holds, even when
// every byte is escaped.
constexpr int kMaxSearchAddress = 820;

// Empties *out, then appends the query percent-encoded for the address. With
// nMaxLength 0 or more it stops before the first character whose encoding
// would make *out longer: the encoding of the longest whole-character start.
void EncodeSearchText(const char* text, CString* out, int nMaxLength = -1);

// The request address for the mode's template with the encoded query; a mode
// outside 0..2 (-1: nothing selected) uses the mode-0 template. The address
// is at most kMaxSearchAddress characters long: a longer query is cut on a
// character boundary.
CString BuildSearchAddress(int mode, const char* text);
