# What the two ARM toolchain files share: Debian's cross compiler for RPG_CROSS_TRIPLET, its
# libraries in /usr/RPG_CROSS_TRIPLET (the packages libc6-dev-ARCH-cross and the compiler's own),
# and qemu-user to run what it builds here, so the tests run as they would on the board.
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER ${RPG_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${RPG_CROSS_TRIPLET}-g++)

# Debian's cross compilers find their headers and libraries themselves; CMake searches there too
# for libraries and headers, never for the programs the build runs here.
set(RPG_CROSS_SYSROOT /usr/${RPG_CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH ${RPG_CROSS_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# qemu-user loads the program's dynamic loader and libraries from the cross libraries.
set(CMAKE_CROSSCOMPILING_EMULATOR ${RPG_QEMU} -L ${RPG_CROSS_SYSROOT})
