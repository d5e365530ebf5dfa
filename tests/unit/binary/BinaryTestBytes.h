#pragma once
// Buffers made from and read back as byte strings.
#include <string>

#include "util/binary/Binary.h"

inline const BYTE* BytesOf(const std::string& s)
{
    return reinterpret_cast<const BYTE*>(s.data());
}

// The visible bytes.
inline std::string Bytes(const CBinary& bin)
{
    const BYTE* p = bin.GetData();
    return p ? std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(bin.GetLength()))
             : std::string();
}

// An unlocked substance holding the bytes.
inline CBinary Unlocked(const std::string& s)
{
    const CBinary locked(BytesOf(s), static_cast<int>(s.size()));
    return CBinary(locked);
}
