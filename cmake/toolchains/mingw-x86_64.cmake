# Cross build for 64-bit Windows with MinGW-w64 (Debian g++-mingw-w64-x86-64),
# posix thread model so that std::thread and std::mutex are available.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The 64-bit programs run here under Wine (Debian wine64); CTest and test
# discovery start them through it.
find_program(FORMULA_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT FORMULA_WINE64)
  find_program(FORMULA_WINE64 NAMES wine64 wine)
endif()
if(FORMULA_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${FORMULA_WINE64})
endif()
