// Thousands of random paths through the path helpers: no helper reads past a
// path's end, and no cut falls inside a double-byte character. A failure names its seed; the same
// seed replays it.
#include "Random.h"
#include "RegistryTestKey.h"

#include "framework/MbString.h"

#include <set>

namespace {

// Puts a text at the very end of a readable page, right before an
// inaccessible one: a read past its terminating zero faults.
class CGuardedText {
public:
    CGuardedText()
    {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        m_nPage = si.dwPageSize;
        m_pBase = static_cast<char*>(
            VirtualAlloc(nullptr, 2 * m_nPage, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        DWORD dwOld = 0;
        VirtualProtect(m_pBase + m_nPage, m_nPage, PAGE_NOACCESS, &dwOld);
    }
    ~CGuardedText() { VirtualFree(m_pBase, 0, MEM_RELEASE); }
    CGuardedText(const CGuardedText&) = delete;
    CGuardedText& operator=(const CGuardedText&) = delete;

    const char* Put(const std::string& text)
    {
        char* p = m_pBase + m_nPage - text.size() - 1;
        memcpy(p, text.c_str(), text.size() + 1);
        return p;
    }

private:
    char* m_pBase = nullptr;
    size_t m_nPage = 0;
};

// Offsets where characters of the ANSI code page start, the end included.
std::set<size_t> Boundaries(const std::string& s)
{
    std::set<size_t> out;
    size_t i = 0;
    for (; i < s.size();
         i += static_cast<size_t>(MbCharLength(&s[i], static_cast<int>(s.size() - i))))
        out.insert(i);
    out.insert(i);
    return out;
}

// True when part stands in whole at a character boundary of s.
bool IsWholeCharacterPiece(const std::string& s, const std::string& part)
{
    const std::set<size_t> bounds = Boundaries(s);
    for (size_t at : bounds) {
        if (s.compare(at, part.size(), part) == 0 && bounds.count(at + part.size()))
            return true;
    }
    return false;
}

// Separators, blanks, letters, lead bytes and trail bytes that are backslashes,
// behind one of the root names in some letter case now and then.
std::string RandomPath(CTestRandom& rnd)
{
    static const char* const kRoots[] = {"HKEY_CURRENT_USER", "hkey_users", "HKEY_Local_Machine",
                                         "HKEY_CLASSES_ROOT"};
    std::string path;
    if (!rnd.OneIn(4))
        path = std::string(rnd.OneIn(3) ? " \\" : "") + kRoots[rnd.Below(4)];
    return path + rnd.Text(24, std::string("\\\\\\ \t\r\nSofta\x81\x95\x5C\x40\xB1\xE0\x83"));
}

TEST(RegistryPathProperty, CleaningAndParsingCutOnlyBetweenCharacters)
{
    CGuardedText guard;
    CRegistry own("HKEY_CURRENT_USER\\Software\\QfProperty");
    for (uint64_t seed = 1; seed <= 10000; ++seed) {
        CTestRandom rnd(seed);
        const std::string path = RandomPath(rnd);
        const char* pszPath = guard.Put(path);

        CString cleaned(pszPath);
        own.NormalizePath(cleaned);
        ASSERT_TRUE(IsWholeCharacterPiece(path, cleaned.str())) << seed;

        // A root name's length compared, or the name searched for, right up
        // to the end of the text and no further.
        MbEqualNoCaseN(pszPath, "HKEY_CURRENT_USER", 18);
        MbFind(pszPath, "\\");

        CRegistry reg(pszPath);
        ASSERT_TRUE(IsWholeCharacterPiece(cleaned.str(), reg.GetPath().str())) << seed;
        HKEY hRoot = nullptr;
        CString strSubKey;
        if (own.ParsePath(pszPath, &hRoot, &strSubKey)) {
            ASSERT_TRUE(IsWholeCharacterPiece(cleaned.str(), strSubKey.str())) << seed;
        }
        // A path that resolves at all lands below the object's own key.
        if (!own.ResolvePath(pszPath, &hRoot, &strSubKey))
            continue;
        const std::string ownKey = "Software\\QfProperty";
        const std::string resolved = strSubKey.str();
        ASSERT_EQ(resolved.compare(0, ownKey.size(), ownKey), 0) << seed;
        if (resolved.size() > ownKey.size()) {
            ASSERT_EQ(resolved[ownKey.size()], '\\') << seed;
            ASSERT_TRUE(IsWholeCharacterPiece(cleaned.str(), resolved.substr(ownKey.size() + 1)))
                << seed;
        }
    }
}

} // namespace
