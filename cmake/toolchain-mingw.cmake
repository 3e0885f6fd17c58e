# Shared by the two MinGW-w64 toolchain files, which set DRAVIK_MINGW_TRIPLET and CMAKE_SYSTEM_PROCESSOR.
# The unsuffixed compilers use the win32 thread model (Debian's default alternative); Windows code here
# therefore must not rely on std::thread or std::mutex.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${DRAVIK_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${DRAVIK_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${DRAVIK_MINGW_TRIPLET}-windres)

# Headers and libraries come from the MinGW sysroot only: the host's /usr/include must never leak into a
# Windows build. Build tools (programs) are still taken from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${DRAVIK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
