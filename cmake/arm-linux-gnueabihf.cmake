# Cross-builds the game for 32-bit ARM Linux with hardware floating point (Debian's armhf:
# Raspberry Pi OS 32-bit) with g++-arm-linux-gnueabihf, and runs what it builds under qemu-arm.
set(CMAKE_SYSTEM_PROCESSOR arm)
set(RPG_CROSS_TRIPLET arm-linux-gnueabihf)
set(RPG_QEMU qemu-arm)
set(RPG_DEBIAN_ARCH armhf)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross-linux.cmake)
