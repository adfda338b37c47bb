# Builds of the same sources that exist to be tested, made beside the native
# one so that every test run proves them too:
#  - arm/: the board's binary (32-bit ARM), run under qemu-arm;
#  - sanitize/: everything under AddressSanitizer and UndefinedBehaviorSanitizer,
#    built with clang, plus the command-line fuzzer.
option(REGRW_ARM "Also build the 32-bit ARM binary and run the suites on it" ON)
option(REGRW_VERIFY "Also build the sanitized tree and the fuzzer, and run them" ON)
if(CMAKE_CROSSCOMPILING OR REGRW_SANITIZE)
  return()
endif()

include(ExternalProject)
if(REGRW_ARM)
  ExternalProject_Add(regrw-arm
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${PROJECT_BINARY_DIR}/arm
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/arm-linux-gnueabihf.cmake
               -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DBUILD_TESTING=OFF
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
  set(REGRW_ARM_BINARY ${PROJECT_BINARY_DIR}/arm/regrw)
endif()
if(REGRW_VERIFY)
  ExternalProject_Add(regrw-sanitize
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${PROJECT_BINARY_DIR}/sanitize
    CMAKE_ARGS -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
               -DREGRW_SANITIZE=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
  set(REGRW_SANITIZE_DIR ${PROJECT_BINARY_DIR}/sanitize)
endif()
