# SPDX-License-Identifier: MIT
# How a test is declared, for tests/ and lab/bench/ alike (regrw_test), and
# the builds of the same sources that exist to be tested, made beside the
# native one so that every test run proves them too:
#  - arm/: the file to copy onto any board (ARMv5TE, static, musl), run
#    under qemu-arm as ARMv5TE, ARMv6 and ARMv7 processors;
#  - armhf/: Debian armhf's build (dynamic), the one its package holds;
#  - sanitize/: everything under AddressSanitizer and UndefinedBehaviorSanitizer,
#    built with clang, plus the command-line fuzzer.

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
if(REGRW_ARM)
  ExternalProject_Add(regrw-arm
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${PROJECT_BINARY_DIR}/arm
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/arm-linux-musleabi.cmake
               -DREGRW_MUSL_DIR=${REGRW_FETCH_DIR}/musl-armel
               -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DREGRW_TEST_TOOLS=ON
               -DREGRW_WERROR=${REGRW_WERROR}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
  ExternalProject_Add(regrw-armhf
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${PROJECT_BINARY_DIR}/armhf
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/arm-linux-gnueabihf.cmake
               -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DREGRW_TEST_TOOLS=ON
               -DREGRW_WERROR=${REGRW_WERROR}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
  set(REGRW_ARM_BINARY ${PROJECT_BINARY_DIR}/arm/regrw)
  set(REGRW_ARMHF_BINARY ${PROJECT_BINARY_DIR}/armhf/regrw)
endif()
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
