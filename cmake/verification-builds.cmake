# SPDX-License-Identifier: MIT
# How a test is declared, and the builds of the same sources beside the
# native one that every test run proves too: one for each ARM row of
# cmake/targets (the musl and glibc ones), in a folder named as its row, and
# sanitize/: everything under AddressSanitizer and UndefinedBehaviorSanitizer,
# compiled by clang, and the command-line fuzzer.

# regrw_test(NAME TIER COMMAND...): labelled with its tier (HACKING names
# them); it skips with 77, and regrw_env adds to its environment.
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
# regrw_build(NAME TARGET -DNAME=VALUE...): build/NAME, configured as every
# build tree is (scripts/project.sh configure), built every time.
function(regrw_build name target)
  ExternalProject_Add(regrw-${name}
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${PROJECT_BINARY_DIR}/${name}
    CONFIGURE_COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/project.sh configure <BINARY_DIR> ${target}
                      -DREGRW_WERROR=${REGRW_WERROR} ${ARGN}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
endfunction()
foreach(target IN LISTS REGRW_ARM_TARGETS)
  regrw_build(${target} ${target} -DREGRW_TEST_TOOLS=ON)
endforeach()
if(REGRW_VERIFY)
  regrw_build(sanitize - -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
              -DREGRW_SANITIZE=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON)
  set(REGRW_SANITIZE_DIR ${PROJECT_BINARY_DIR}/sanitize)
endif()
