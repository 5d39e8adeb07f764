# What every shipped Linux program shares, included by each linux-ARCH.cmake once it has set
# TV_TRIPLET: Debian's compilers for that target, and a program linked fully static, so that
# one file runs on any Linux of that processor whatever its C library. The preset's tests run
# it under CMAKE_CROSSCOMPILING_EMULATOR where the toolchain file sets one.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${TV_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${TV_TRIPLET}-g++)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# A release needs no symbols: a third of the size.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
