# SPDX-License-Identifier: MIT
# The file to copy onto any 32-bit little-endian ARM board, from ARMv5TE
# processors up: Debian's armel compiler (ARMv5TE, soft-float EABI;
# g++-arm-linux-gnueabi) against the musl C library, linked statically.
# ARMv5TE code runs on every later 32-bit ARM processor, a static binary does
# not care which float ABI or C library the board has, and musl, made for
# static linking, keeps the file at a few tens of kilobytes.
# musl is Debian's musl-dev for armel, fetched from the archive on first use
# and unpacked under build/musl-armel of the source tree (never installed).
# Its headers are C headers only: the tool includes <stdio.h>, not <cstdio>,
# since the C++ library's headers assume the GNU C library.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabi-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabi-g++)
get_filename_component(regrw_musl ${CMAKE_CURRENT_LIST_DIR}/../build/musl-armel ABSOLUTE)
if(NOT EXISTS ${regrw_musl}/musl-gcc.specs)
  execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/musl-armel.sh ${regrw_musl} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "regrw: no musl C library for armel (see above)")
  endif()
endif()
set(CMAKE_C_FLAGS_INIT "-specs=${regrw_musl}/musl-gcc.specs")
set(CMAKE_CXX_FLAGS_INIT "-specs=${regrw_musl}/musl-gcc.specs")
# Everything made with it is static: there is no musl loader on a board.
# 32-bit ARM Linux has 4 KiB pages (an arm64 kernel runs 32-bit programs
# only with 4 KiB pages); newer linkers lay segments out for 64 KiB ones,
# which pads the file by tens of kilobytes.
# No RELRO (which Debian's compiler asks for by default): musl's static
# start never write-protects it, so it would only pad the file to a page.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,-z,max-page-size=4096 -Wl,-z,norelro")
set(REGRW_RELRO OFF)
set(CMAKE_FIND_ROOT_PATH ${regrw_musl})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Run here as the oldest processor it is built for.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -cpu arm926)
