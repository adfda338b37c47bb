# SPDX-License-Identifier: MIT
# Any 32-bit little-endian ARM board, from ARMv5TE processors up: Debian's
# armel (ARMv5TE, soft-float EABI). Cross compiler: g++-arm-linux-gnueabi.
# ARMv5TE code runs on every later 32-bit ARM processor, and a static binary
# does not care which float ABI the board's own libraries use, so this is the
# build of the one file to copy onto a board.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabi-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabi-g++)
set(CMAKE_FIND_ROOT_PATH /usr/arm-linux-gnueabi)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Run here as the oldest processor it is built for.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -cpu arm926)
