# SPDX-License-Identifier: MIT
# The file to copy onto any 32-bit little-endian ARM board, from ARMv5TE
# processors up: Debian's armel compiler (ARMv5TE, soft-float EABI;
# g++-arm-linux-gnueabi) against the musl C library, linked statically.
# ARMv5TE code runs on every later 32-bit ARM processor, a static binary does
# not care which float ABI or C library the board has, and musl, made for
# static linking, keeps the file at a few tens of kilobytes.
# musl is Debian's musl-dev for armel, as scripts/fetch musl unpacks it
# (never installed): in the fetch folder, or where REGRW_MUSL_DIR says.
# Its headers are C headers only: the tool includes <stdio.h>, not <cstdio>,
# since the C++ library's headers assume the GNU C library.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabi-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabi-g++)
if(NOT REGRW_MUSL_DIR)
  execute_process(COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../scripts/project.sh fetch-dir
                  OUTPUT_VARIABLE REGRW_MUSL_DIR OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  string(APPEND REGRW_MUSL_DIR /musl-armel)
endif()
set(REGRW_MUSL_DIR ${REGRW_MUSL_DIR} CACHE PATH "Debian's musl-dev for armel, unpacked (scripts/fetch musl)")
# The compiler checks read this file again in projects of their own.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES REGRW_MUSL_DIR)
if(EXISTS ${REGRW_MUSL_DIR}/musl-gcc.specs)
  set(CMAKE_C_FLAGS_INIT "-specs=${REGRW_MUSL_DIR}/musl-gcc.specs")
  set(CMAKE_CXX_FLAGS_INIT "-specs=${REGRW_MUSL_DIR}/musl-gcc.specs")
else()
  # Refused once the project starts (build-options.cmake), where it takes
  # one line: here CMake would add errors of its own that mislead.
  set(REGRW_MUSL_MISSING ON)
endif()
# Everything made with it is static, since there is no musl loader on a
# board, and stripped, since the file built is the file to copy.
# 32-bit ARM Linux has 4 KiB pages (an arm64 kernel runs 32-bit programs
# only with 4 KiB pages); newer linkers lay segments out for 64 KiB ones,
# which pads the file by tens of kilobytes.
# No RELRO (which Debian's compiler asks for by default): musl's static
# start never write-protects it, so it would only pad the file to a page.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -s -Wl,-z,max-page-size=4096 -Wl,-z,norelro")
set(CMAKE_FIND_ROOT_PATH ${REGRW_MUSL_DIR})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Run here as the oldest processor it is built for.
execute_process(COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../scripts/project.sh emulator armv5
                OUTPUT_VARIABLE emulator OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
separate_arguments(CMAKE_CROSSCOMPILING_EMULATOR UNIX_COMMAND "${emulator}")
