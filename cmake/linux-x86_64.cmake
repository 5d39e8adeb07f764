# Linux on x86_64 (amd64): the command-line program, static.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TV_TRIPLET x86_64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/linux-static.cmake)
