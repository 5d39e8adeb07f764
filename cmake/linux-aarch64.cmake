# Linux on 64-bit ARM (arm64): the command-line program, static, tested under QEMU.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(TV_TRIPLET aarch64-linux-gnu)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-static.cmake)
