# SPDX-License-Identifier: MIT
# A musl row's file, to copy onto any board of its architecture whatever its
# float ABI or C library: static against musl (scripts/fetch musl's, or
# REGRW_MUSL_DIR's, with its gcc wrapper's specs file), a few tens of KiB.
# musl's headers are C's only: the tool includes <stdio.h>, not <cstdio>.
if(NOT REGRW_MUSL_DIR)
  regrw_project(REGRW_MUSL_DIR fetch-dir)
  string(APPEND REGRW_MUSL_DIR /musl/${regrw_triple})
endif()
set(REGRW_MUSL_DIR ${REGRW_MUSL_DIR} CACHE PATH "musl for ${regrw_triple}, as scripts/fetch musl builds it")
if(EXISTS ${REGRW_MUSL_DIR}/lib/musl-gcc.specs)
  set(CMAKE_C_FLAGS_INIT "-specs=${REGRW_MUSL_DIR}/lib/musl-gcc.specs")
  set(CMAKE_CXX_FLAGS_INIT "-specs=${REGRW_MUSL_DIR}/lib/musl-gcc.specs")
else()
  # Refused in one line once the project starts: here CMake would mislead.
  set(REGRW_MUSL_MISSING ${regrw_triple})
endif()
# Static (no musl loader on a board) and stripped (the file to copy). Its
# segments are aligned for 64 KiB pages, the largest an arm64 kernel (which
# runs 32-bit programs too) may have: addresses, not bytes. No RELRO: musl's
# static start never applies it, so it would only pad.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -s -Wl,-z,max-page-size=65536 -Wl,-z,norelro")
set(CMAKE_FIND_ROOT_PATH ${REGRW_MUSL_DIR})
