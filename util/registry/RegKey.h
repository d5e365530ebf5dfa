#pragma once
// Owner of one open registry key handle: closed on every path out of a scope.
#include <windows.h>

class CRegKey {
public:
    CRegKey() = default;
    explicit CRegKey(HKEY hKey) : m_hKey(hKey) {}
    ~CRegKey() { Close(); }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    // Both close the key held before; the result is the registry's own code.
    LONG Open(HKEY hParent, const char* pszSubKey, REGSAM samDesired);
    LONG Create(HKEY hParent, const char* pszSubKey);

    void Close();
    void Attach(HKEY hKey);
    HKEY Detach();

    HKEY Get() const { return m_hKey; }
    bool IsOpen() const { return m_hKey != nullptr; }

private:
    HKEY m_hKey = nullptr;
};
