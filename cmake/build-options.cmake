# SPDX-License-Identifier: MIT
# Every build option but the toolchain file's (REGRW_TARGET, REGRW_MUSL_DIR).
# A guest in whoever builds it: their toolchain links and strips, their flags
# are never weakened; the project adds its language, its warnings, what
# keeps the tool lean to start, and only the hardening they leave unsaid.
if(REGRW_MUSL_MISSING)
  message(FATAL_ERROR "regrw: musl for ${REGRW_MUSL_MISSING} is missing: scripts/fetch musl")
endif()
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE Release)
endif()

# Static linking for whoever asks.
option(REGRW_STATIC "Link regrw and the tests' tools statically" OFF)
# Warnings are errors in the project's own builds (scripts/setup), never in
# a builder's: the next compiler's first new warning must not break an image.
option(REGRW_WERROR "Make compiler warnings errors" OFF)
# A cross build makes the tool alone, and its test tools on demand.
if(CMAKE_CROSSCOMPILING)
  option(BUILD_TESTING "Build the tests" OFF)
endif()
option(REGRW_TEST_TOOLS "Build the tests' device client and errno words" OFF)
option(REGRW_SIM "Build the stand-in register device, regsim (needs libfuse3)" OFF)
option(REGRW_ARM "Also build the musl and glibc rows of cmake/targets and run the suites on them" ON)
option(REGRW_VERIFY "Also build the sanitized tree and the fuzzer, and run them" ON)

add_compile_options(-Wall -Wextra)
if(REGRW_WERROR)
  add_compile_options(-Werror)
endif()
# The one version number, project(regrw VERSION ...), in every binary.
add_compile_definitions(REGRW_VERSION="${PROJECT_VERSION}")
# Nothing built depends on where the tree lies: a release rebuilds bit for bit.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=. -ffile-prefix-map=${PROJECT_BINARY_DIR}=.)

# What scripts/fetch downloaded: nothing is downloaded after it.
include(${CMAKE_CURRENT_LIST_DIR}/targets.cmake)
regrw_project(regrw_fetch_default fetch-dir)
set(REGRW_FETCH_DIR ${regrw_fetch_default} CACHE PATH "The folder scripts/fetch unpacks into")

# The proof builds: sanitizers on everything, and the fuzzer (clang only).
# Any sanitizer report ends the process with a failure.
option(REGRW_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(REGRW_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Debian's hardening, each part where the builder's flags (on the link line
# too) say nothing of it: their _FORTIFY_SOURCE=3 stays.
string(TOUPPER "${CMAKE_BUILD_TYPE}" regrw_type)
set(regrw_said " ${CMAKE_C_FLAGS} ${CMAKE_CXX_FLAGS} ${CMAKE_C_FLAGS_${regrw_type}} ${CMAKE_CXX_FLAGS_${regrw_type}}")
set(regrw_said_link "${regrw_said} ${CMAKE_EXE_LINKER_FLAGS} ${CMAKE_EXE_LINKER_FLAGS_${regrw_type}} ${CMAKE_C_LINK_FLAGS} ${CMAKE_CXX_LINK_FLAGS} ")
if(NOT regrw_said_link MATCHES " -(f|fno-)(pie|PIE) | -(no-|static-)?pie ")
  include(CheckPIESupported)
  check_pie_supported()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
endif()
if(NOT regrw_said MATCHES "stack-protector")
  add_compile_options(-fstack-protector-strong)
endif()
if(NOT regrw_said MATCHES "stack-clash-protection")
  add_compile_options(-fstack-clash-protection)
endif()
# Fortification needs the optimiser, and is no friend of the sanitizers.
if(NOT regrw_said MATCHES "_FORTIFY_SOURCE" AND NOT REGRW_SANITIZE)
  add_compile_options("$<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>")
endif()
# Full RELRO, where nothing says otherwise (the standalone file says
# norelro: nothing applies it in a static musl file).
if(NOT regrw_said_link MATCHES "relro")
  add_link_options(-Wl,-z,relro)
endif()
if(NOT regrw_said_link MATCHES "norelro|z,now|z now|z,lazy|z lazy")
  add_link_options(-Wl,-z,now)
endif()
if(NOT regrw_said_link MATCHES "execstack")
  add_link_options(-Wl,-z,noexecstack)
endif()

# Started once per register access, thousands of times from a loop, the
# tool costs no more to start than a C program: no exceptions or RTTI, and
# nothing of the C++ runtime loaded at run time.
function(regrw_lean_binary target)
  target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti)
  if(NOT REGRW_SANITIZE)
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc -Wl,--as-needed)
  endif()
  regrw_static_if_asked(${target})
endfunction()

# regrw_static_if_asked(TARGET...): linked statically where REGRW_STATIC asks;
# stripping is the packager's, or the toolchain file's.
function(regrw_static_if_asked)
  if(REGRW_STATIC)
    foreach(target IN LISTS ARGN)
      target_link_options(${target} PRIVATE -static)
    endforeach()
  endif()
endfunction()
