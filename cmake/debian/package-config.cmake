# SPDX-License-Identifier: MIT
# Read by cpack before it packages: refuses a package that Debian would not
# take, and computes the C library the binary needs.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
if(NOT CPACK_DEBIAN_PACKAGE_MAINTAINER)
  message(FATAL_ERROR "regrw: no maintainer: set -DREGRW_MAINTAINER=\"Name <address>\"")
endif()
if(CPACK_REGRW_STATIC)
  message(FATAL_ERROR "regrw: a Debian package holds a dynamically linked binary: configure with -DREGRW_STATIC=OFF")
endif()

# The lowest libc6 that has every symbol version the binary asks for: the
# highest GLIBC_x.y among them. It is computed from the binary so that it
# moves with the toolchain, and a binary that needs a library from any other
# package than libc6 is refused, since the package would not say so.
execute_process(COMMAND ${CPACK_READELF} -W -d -V ${CPACK_REGRW_BINARY}
                OUTPUT_VARIABLE dynamic RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "regrw: cannot read ${CPACK_REGRW_BINARY}")
endif()
string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*\\[[^]]*\\]" needed "${dynamic}")
foreach(library IN LISTS needed)
  if(NOT library MATCHES "\\[(libc\\.so\\.6|ld-linux[-a-z0-9_]*\\.so\\.[0-9]+)\\]$")
    message(FATAL_ERROR "regrw: the binary needs a library from outside libc6: ${library}")
  endif()
endforeach()
string(REGEX MATCHALL "Name: GLIBC_[0-9.]+" versions "${dynamic}")
set(minimum 0)
foreach(version IN LISTS versions)
  string(REPLACE "Name: GLIBC_" "" version "${version}")
  if(version VERSION_GREATER minimum)
    set(minimum ${version})
  endif()
endforeach()
if(minimum STREQUAL "0")
  message(FATAL_ERROR "regrw: no GLIBC symbol versions in ${CPACK_REGRW_BINARY}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= ${minimum})")
