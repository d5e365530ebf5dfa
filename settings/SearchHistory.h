#pragma once
// The query history: newest first, at most 16 distinct queries.
#include "framework/String.h"

#include <vector>

constexpr int kHistoryLimit = 16;

// Same entry: equal ignoring case, character by character in code page 932
// (a-z folded for single bytes, double-byte characters upper-cased whole as
// Japanese is, a trail byte never folded alone), on every system.
bool IsSameQuery(const char* a, const char* b);

// Puts the query at the top, unchanged, in place of every entry equal to it,
// and drops what falls beyond the limit. An empty query is no entry and
// leaves the history as it is.
void PutQueryFirst(std::vector<CString>* pHistory, const CString& query);
