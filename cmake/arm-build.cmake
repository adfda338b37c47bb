# The board's binary, built beside the native one so that every test run
# proves it too, under qemu-arm. Needs g++-arm-linux-gnueabihf and qemu-user.
option(REGRW_ARM "Also build the 32-bit ARM binary and run the suites on it" ON)
if(REGRW_ARM AND NOT CMAKE_CROSSCOMPILING)
  include(ExternalProject)
  ExternalProject_Add(regrw-arm
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${PROJECT_BINARY_DIR}/arm
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/arm-linux-gnueabihf.cmake
               -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DBUILD_TESTING=OFF
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
  set(REGRW_ARM_BINARY ${PROJECT_BINARY_DIR}/arm/regrw)
endif()
