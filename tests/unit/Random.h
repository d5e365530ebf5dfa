#pragma once
// A small seeded generator for property tests: the same seed gives the same
// cases on every machine, so a failure names its seed and can be replayed.
#include <cstdint>
#include <string>

class CTestRandom {
public:
    explicit CTestRandom(uint64_t seed) : m_state(seed) {}

    // splitmix64: tiny, and good enough to spread cases over the input space.
    uint64_t Next()
    {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // A number from 0 to n - 1; n must be positive.
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }

    // A number from lo to hi, both included.
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }

    bool OneIn(int n) { return Below(n) == 0; }

    unsigned char Byte() { return static_cast<unsigned char>(Next()); }

    // Bytes drawn from an alphabet (any bytes when it is empty), zeros excluded
    // unless the alphabet holds them.
    std::string Text(int nMaxLength, const std::string& alphabet = std::string())
    {
        std::string s(static_cast<size_t>(Below(nMaxLength + 1)), '\0');
        for (char& c : s) {
            if (alphabet.empty()) {
                do
                    c = static_cast<char>(Byte());
                while (c == '\0');
            } else {
                c = alphabet[static_cast<size_t>(Below(static_cast<int>(alphabet.size())))];
            }
        }
        return s;
    }

private:
    uint64_t m_state;
};
