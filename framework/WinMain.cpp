#include "framework/App.h"

#include <cstdlib>

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    return AfxWinMain(hInstance);
}

// The C++ library's own terminate handler writes the exception's demangled
// type to the standard error stream, which a GUI program does not have, and
// brings a whole demangler along: a tenth of the program. An uncaught
// exception ends the program at once instead; none is expected, every
// callback from Windows catches its own.
namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    std::abort();
}
} // namespace __gnu_cxx
