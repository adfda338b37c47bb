# SPDX-License-Identifier: MIT
# Every build option of the project in one place.
if(REGRW_MUSL_MISSING)
  message(FATAL_ERROR "regrw: musl for armel is missing: scripts/fetch musl")
endif()
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE Release)
endif()

# A cross build is linked statically by default: one file that runs on a
# board whatever its C library.
option(REGRW_STATIC "Link regrw statically" ${CMAKE_CROSSCOMPILING})

add_compile_options(-Wall -Wextra -Werror)
# The one version number, project(regrw VERSION ...), in every binary.
add_compile_definitions(REGRW_VERSION="${PROJECT_VERSION}")
# Nothing built depends on where the tree lies, so that anyone can rebuild
# a release bit for bit.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=. -ffile-prefix-map=${PROJECT_BINARY_DIR}=.)

# What scripts/fetch downloaded for the ARM builds, the board and the tests:
# nothing is downloaded after it.
if(DEFINED ENV{REGRW_FETCH_DIR})
  set(regrw_fetch_default $ENV{REGRW_FETCH_DIR})
else()
  set(regrw_fetch_default ${PROJECT_SOURCE_DIR}/fetched)
endif()
set(REGRW_FETCH_DIR ${regrw_fetch_default} CACHE PATH "The folder scripts/fetch unpacks into")

# The proof builds: sanitizers on everything, and the fuzzer (clang only).
# Any sanitizer report ends the process with a failure.
option(REGRW_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(REGRW_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# The hardening Debian gives its packages. Fortification needs the optimiser.
include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
add_compile_options(-fstack-protector-strong -fstack-clash-protection)
if(NOT REGRW_SANITIZE)
  add_compile_options("$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
endif()
# Full RELRO wherever something applies it at run time (a toolchain file
# may say nothing does).
if(NOT DEFINED REGRW_RELRO)
  set(REGRW_RELRO ON)
endif()
if(REGRW_RELRO)
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
add_link_options(-Wl,-z,noexecstack)

# The tool is started once per register access, often thousands of times from
# a shell loop: it must cost no more to start than a C program. No exceptions
# or RTTI, and nothing from the C++ runtime may be loaded at run time.
function(regrw_lean_binary target)
  target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti)
  if(NOT REGRW_SANITIZE)
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc -Wl,--as-needed)
  endif()
  if(REGRW_STATIC)
    regrw_static_binary(${target})
  endif()
endfunction()

# A static file is made to be copied onto a board, so it is made stripped:
# the file built is the file to copy.
function(regrw_static_binary target)
  target_link_options(${target} PRIVATE -static -s)
endfunction()
