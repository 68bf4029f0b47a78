# Cross-builds the Windows console game on Debian with MinGW-w64 (g++-mingw-w64-x86-64-posix),
# and runs what it builds under wine (wine64), so the tests run here as they would on Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RPG_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RPG_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RPG_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${RPG_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${RPG_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program carries its C++ runtime, libgcc and winpthread inside, so no DLL has to sit
# beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Windows programs run under wine in a prefix of the build's own, away from the user's ~/.wine;
# the first start in a new prefix sets it up, which takes a while.
set(RPG_WINE /usr/lib/wine/wine64 CACHE FILEPATH "wine's loader for 64-bit Windows programs")
set(RPG_WINESERVER /usr/lib/wine/wineserver CACHE FILEPATH "wine's server")
set(RPG_WINEPREFIX ${CMAKE_BINARY_DIR}/wine CACHE PATH "The wine prefix the tests run in")
# Quiet, and without the .NET and HTML engines, whose installers would otherwise ask for them.
set(RPG_WINE_ENVIRONMENT WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= WINEPREFIX=${RPG_WINEPREFIX})
set(CMAKE_CROSSCOMPILING_EMULATOR env ${RPG_WINE_ENVIRONMENT} ${RPG_WINE})

# Finding the tests in a test program means running it under wine: done when the tests run, so
# that building needs no wine.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
