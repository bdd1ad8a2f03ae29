# Cross build for 64-bit Windows with the mingw-w64 compilers of the POSIX thread model; the
# programs and tests that come out of it run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SELVANE_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SELVANE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SELVANE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SELVANE_MINGW_TRIPLET}-windres)

# Libraries and headers come from the mingw-w64 sysroot only; programs (the generators' tools)
# from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${SELVANE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime (libgcc, libstdc++, winpthread) is linked in, so an executable runs under Wine
# without any mingw DLL next to it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# The tests are listed when ctest runs rather than right after linking, so the build itself never
# starts Wine.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
