# Cross-building for 64-bit Windows on Debian with mingw-w64 (g++-mingw-w64-x86-64-posix).
# Used on its own to build Qt for Windows (scripts/build-qt-windows), and chained from
# that Qt's own qt.toolchain.cmake to build the program (scripts/build-windows).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_SYSTEM_VERSION 10.0)

set(triplet x86_64-w64-mingw32)
# The posix flavour: Qt's threads need std::thread and std::mutex, which the win32
# flavour of Debian's compiler leaves out.
set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
