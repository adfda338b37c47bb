# SPDX-License-Identifier: MIT
# How a test is declared, for tests/ and lab/bench/ alike (regrw_test), and
# the builds of the same sources that exist to be tested, made beside the
# native one so that every test run proves them too:
#  - one for each ARM target of cmake/targets (its musl and glibc rows),
#    in a folder named as its row: the files to copy onto any board
#    (static, musl) and Debian's builds (dynamic), each run under qemu-user
#    as its row's processors;
#  - sanitize/: everything under AddressSanitizer and UndefinedBehaviorSanitizer,
#    its C++ compiled by clang, plus the command-line fuzzer.

# regrw_test(NAME TIER COMMAND...): a test in its tier, a CTest label
# (ctest -L quick): quick, the tool's own checks, natively; arm, the ARM
# builds under emulation; verify, the proof builds, the analysers and the
# guards; board, the driver and the emulated board; package, installs and
# packages. It skips with 77 and finds the fetch folder; regrw_env adds to
# its environment.
function(regrw_test name tier)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES LABELS ${tier} SKIP_RETURN_CODE 77 TIMEOUT 900
    ENVIRONMENT "REGRW_FETCH_DIR=${REGRW_FETCH_DIR};${regrw_env}")
endfunction()

if(CMAKE_CROSSCOMPILING OR REGRW_SANITIZE)
  return()
endif()

include(ExternalProject)
regrw_targets(REGRW_ARM_TARGETS musl glibc)
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
