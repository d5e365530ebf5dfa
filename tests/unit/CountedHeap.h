#pragma once
// Counts the blocks the program holds from operator new, so a test can show
// that a piece of work gives back all it took, and checks each block as it is
// given back: with the heap filling block tails (the heap-check runs), a byte
// written past a block's end is found when the block is freed, not only if it
// is still held when the test ends. The replacement allocation functions are
// defined here: include this header in exactly one source file of a program.
#include <windows.h>

#include <atomic>
#include <new>

inline std::atomic<long>& LiveBlocks()
{
    static std::atomic<long> s_nLive{0};
    return s_nLive;
}

// Blocks found damaged when they were freed.
inline std::atomic<long>& DamagedBlocks()
{
    static std::atomic<long> s_nDamaged{0};
    return s_nDamaged;
}

void* operator new(std::size_t cb)
{
    void* p = HeapAlloc(GetProcessHeap(), 0, cb ? cb : 1);
    if (!p)
        throw std::bad_alloc();
    ++LiveBlocks();
    return p;
}

void operator delete(void* p) noexcept
{
    if (!p)
        return;
    if (!HeapValidate(GetProcessHeap(), 0, p))
        ++DamagedBlocks();
    --LiveBlocks();
    HeapFree(GetProcessHeap(), 0, p);
}

void operator delete(void* p, std::size_t) noexcept
{
    operator delete(p);
}
