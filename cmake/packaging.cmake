# SPDX-License-Identifier: MIT
# What `cmake --install` puts in place: the tool and its manual, nothing
# else. The Debian package adds what Debian asks of one (cmake/debian/).
include(GNUInstallDirs)
# Directories as Debian has them, whatever the umask of whoever builds.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS regrw RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES src/regrw.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Whoever builds a release names themselves; nobody is invented.
set(REGRW_MAINTAINER "" CACHE STRING
    "Maintainer of the Debian package, as \"Name <address>\"; cpack refuses without one")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME regrw)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${REGRW_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
"regrw reads or writes one 32-bit register of a device whose kernel driver
exposes its registers through the character device node /dev/test_registers:
one run is one command, one transfer and one exit status, so it fits shell
scripts and loops of thousands of accesses. Numbers are converted exactly or
refused, and every failure (open, seek, a failed or short transfer, close,
output) is reported on standard error with a non-zero exit status.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
if(CMAKE_CROSSCOMPILING)
  if(CMAKE_CXX_COMPILER MATCHES "arm-linux-gnueabihf")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE armhf)
  else()
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE armel)
  endif()
endif()
# Read by the scripts below, when cpack runs.
set(CPACK_REGRW_BINARY ${PROJECT_BINARY_DIR}/regrw)
set(CPACK_REGRW_STATIC ${REGRW_STATIC})
set(CPACK_REGRW_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_READELF ${CMAKE_READELF})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/debian/package-config.cmake)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/debian/package-files.cmake)
include(CPack)
