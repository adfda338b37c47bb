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
execute_process(COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../scripts/project.sh emulator armv5
                OUTPUT_VARIABLE emulator OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
separate_arguments(CMAKE_CROSSCOMPILING_EMULATOR UNIX_COMMAND "${emulator}")
