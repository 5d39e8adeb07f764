# Linux on 32-bit x86 (i386): the command-line program, static. Its tests run it under QEMU,
# which every machine here can start, whether its kernel runs 32-bit code or not.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TV_TRIPLET i686-linux-gnu)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-static.cmake)
