# SPDX-License-Identifier: MIT
# Debian's armel compiler (ARMv5TE, soft-float EABI; g++-arm-linux-gnueabi)
# with the GNU C library, linked statically and stripped. Kept to compare
# against: the file to copy onto a board is the musl build (arm-linux-musleabi.cmake),
# which does the same in about a seventeenth of the size, since the GNU C
# library is not made for static linking.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabi-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabi-g++)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -s")
set(CMAKE_FIND_ROOT_PATH /usr/arm-linux-gnueabi)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Run here as the oldest processor it is built for.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -cpu arm926)
