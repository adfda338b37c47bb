# SPDX-License-Identifier: MIT
# The toolchain file of every target: -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain.cmake
# -DREGRW_TARGET=NAME, a build row of cmake/targets.
if(NOT REGRW_TARGET)
  message(FATAL_ERROR "regrw: say which target with -DREGRW_TARGET= (a build row of cmake/targets)")
endif()
# The compiler checks read this file again in projects of their own.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES REGRW_TARGET REGRW_MUSL_DIR)
include(${CMAKE_CURRENT_LIST_DIR}/targets.cmake)
regrw_target(${REGRW_TARGET})

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${regrw_machine})
set(CMAKE_C_COMPILER ${regrw_triple}-gcc)
set(CMAKE_CXX_COMPILER ${regrw_triple}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${regrw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Run here as the oldest processor it is built for.
regrw_project(emulator emulator ${REGRW_TARGET})
separate_arguments(CMAKE_CROSSCOMPILING_EMULATOR UNIX_COMMAND "${emulator}")
if(regrw_libc STREQUAL musl)
  include(${CMAKE_CURRENT_LIST_DIR}/musl.cmake)
endif()
