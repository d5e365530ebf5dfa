#include "settings/SearchHistory.h"

#include "framework/MbString.h"

bool IsSameQuery(const char* a, const char* b)
{
    return MbEqualNoCaseJapanese(a ? a : "", b ? b : "");
}

void PutQueryFirst(std::vector<CString>* pHistory, const CString& query)
{
    if (query.IsEmpty())
        return;
    // Backwards, so the indexes still to be visited stay valid.
    for (size_t i = pHistory->size(); i-- > 0;) {
        if (IsSameQuery((*pHistory)[i], query))
            pHistory->erase(pHistory->begin() + static_cast<std::ptrdiff_t>(i));
    }
    pHistory->insert(pHistory->begin(), query);
    if (pHistory->size() > static_cast<size_t>(kHistoryLimit))
        pHistory->resize(kHistoryLimit);
}
