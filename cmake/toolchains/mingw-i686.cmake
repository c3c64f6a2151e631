# Cross build for 32-bit Windows with MinGW-w64 (Debian g++-mingw-w64-i686),
# posix thread model so that std::thread and std::mutex are available.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The 32-bit programs run under 32-bit Wine (Debian wine32:i386), on a kernel
# that runs i386 programs; CTest starts them through it.
find_program(FORMULA_WINE32 NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT FORMULA_WINE32)
  find_program(FORMULA_WINE32 NAMES wine)
endif()
if(FORMULA_WINE32)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${FORMULA_WINE32})
endif()
