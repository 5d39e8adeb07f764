# 32-bit Windows, the release target: MinGW-w64 of the win32 thread model, whose runtime needs
# nothing that Windows XP SP3 lacks (the posix model's winpthread imports Vista's
# GetTickCount64). Its programs declare XP (5.1) as the system they need.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,--major-os-version,5,--minor-os-version,1,\
--major-subsystem-version,5,--minor-subsystem-version,1")
# LLVM's resource compiler: GNU windres would store the dialog class name in capitals.
set(CMAKE_RC_COMPILER llvm-windres-14)
set(CMAKE_RC_FLAGS_INIT "--target=pe-i386 --codepage=65001")
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
