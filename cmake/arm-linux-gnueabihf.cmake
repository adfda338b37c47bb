# SPDX-License-Identifier: MIT
# Debian's armhf: ARMv7 with hardware floating point and Thumb-2. Cross
# compiler: g++-arm-linux-gnueabihf. This build is for Debian armhf systems
# and the armhf package; the file to copy onto any board is the static musl
# build (arm-linux-musleabi.cmake), which also runs on processors older than
# ARMv7.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
set(CMAKE_FIND_ROOT_PATH /usr/arm-linux-gnueabihf)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# What the board's processor is run under here; a dynamic build finds the
# board's C library under the cross toolchain's root.
execute_process(COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../scripts/project.sh emulator armv7
                OUTPUT_VARIABLE emulator OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
separate_arguments(CMAKE_CROSSCOMPILING_EMULATOR UNIX_COMMAND "${emulator} -L /usr/arm-linux-gnueabihf")
