# Cross-builds the game for 64-bit ARM Linux (Debian's arm64: Raspberry Pi OS 64-bit) with
# g++-aarch64-linux-gnu, and runs what it builds under qemu-aarch64.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(RPG_CROSS_TRIPLET aarch64-linux-gnu)
set(RPG_QEMU qemu-aarch64)
set(RPG_DEBIAN_ARCH arm64)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross-linux.cmake)
