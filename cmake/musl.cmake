# SPDX-License-Identifier: MIT
# A file to copy onto any board of its architecture (toolchain.cmake, for
# a musl row): static against the musl C library, stripped. A static binary
# does not care which float ABI or C library the board has, and musl, made
# for static linking, keeps the file at a few tens of kilobytes.
# musl is built by scripts/fetch musl from Debian's own musl source with the
# row's cross compiler, for its triple: in the fetch folder, or where
# REGRW_MUSL_DIR says (a musl installed with its gcc wrapper's specs file).
# Its headers are C headers only: the tool includes <stdio.h>, not
# <cstdio>, since the C++ library's headers assume the GNU C library.
if(NOT REGRW_MUSL_DIR)
  regrw_project(REGRW_MUSL_DIR fetch-dir)
  string(APPEND REGRW_MUSL_DIR /musl/${regrw_triple})
endif()
set(REGRW_MUSL_DIR ${REGRW_MUSL_DIR} CACHE PATH "musl for ${regrw_triple}, as scripts/fetch musl builds it")
if(EXISTS ${REGRW_MUSL_DIR}/lib/musl-gcc.specs)
  set(CMAKE_C_FLAGS_INIT "-specs=${REGRW_MUSL_DIR}/lib/musl-gcc.specs")
  set(CMAKE_CXX_FLAGS_INIT "-specs=${REGRW_MUSL_DIR}/lib/musl-gcc.specs")
else()
  # Refused once the project starts (build-options.cmake), where it takes
  # one line: here CMake would add errors of its own that mislead.
  set(REGRW_MUSL_MISSING ${regrw_triple})
endif()
# Static, since there is no musl loader on a board, and stripped, since the
# file built is the file to copy. Its segments are laid out for the largest
# pages a kernel that may run it has: an arm64 kernel may have 4, 16 or 64
# KiB pages, and runs 32-bit programs too, with any of them. The layout
# costs no bytes: only the addresses are aligned, not the file's offsets.
# No RELRO (which Debian's compiler asks for by default): musl's static
# start never write-protects it, so it would only pad the file to a page.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -s -Wl,-z,max-page-size=65536 -Wl,-z,norelro")
set(CMAKE_FIND_ROOT_PATH ${REGRW_MUSL_DIR})
