# SPDX-License-Identifier: MIT
# How a test is declared (regrw_test), and the builds of the same sources
# made beside the native one so that every test run proves them too: one
# for each ARM row of cmake/targets, in a folder named as its row; and
# sanitize/, everything under AddressSanitizer and UndefinedBehaviorSanitizer,
# its C++ compiled by clang, plus the command-line fuzzer.

# regrw_test(NAME TIER COMMAND...): a test labelled with its tier (HACKING
# names them); it skips with 77, and regrw_env adds to its environment.
function(regrw_test name tier)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES LABELS ${tier} SKIP_RETURN_CODE 77 TIMEOUT 900
    ENVIRONMENT "REGRW_FETCH_DIR=${REGRW_FETCH_DIR};${regrw_env}")
endfunction()

if(CMAKE_CROSSCOMPILING OR REGRW_SANITIZE)
  return()
endif()

include(ExternalProject)
regrw_project(REGRW_ARM_TARGETS rows build libc musl glibc)
string(REPLACE "\n" ";" REGRW_ARM_TARGETS "${REGRW_ARM_TARGETS}")
if(NOT REGRW_ARM)
  set(REGRW_ARM_TARGETS "")
endif()
foreach(target IN LISTS REGRW_ARM_TARGETS)
  ExternalProject_Add(regrw-${target}
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${PROJECT_BINARY_DIR}/${target}
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/toolchain.cmake -DREGRW_TARGET=${target}
               -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DREGRW_TEST_TOOLS=ON -DREGRW_WERROR=${REGRW_WERROR}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
endforeach()
if(REGRW_VERIFY)
  ExternalProject_Add(regrw-sanitize
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${PROJECT_BINARY_DIR}/sanitize
    CMAKE_ARGS -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
               -DREGRW_SANITIZE=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
               -DREGRW_WERROR=${REGRW_WERROR}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
  set(REGRW_SANITIZE_DIR ${PROJECT_BINARY_DIR}/sanitize)
endif()
