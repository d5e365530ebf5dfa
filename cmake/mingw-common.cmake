# Shared part of the mingw-w64 toolchain files; they set QF_MINGW_TRIPLET first.
set(CMAKE_SYSTEM_NAME Windows)
# The -posix variants: GoogleTest needs std::mutex.
set(CMAKE_C_COMPILER   ${QF_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QF_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${QF_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QF_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
