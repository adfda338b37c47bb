# SPDX-License-Identifier: MIT
# Run by cpack on the package's staged tree, before it is packed: what a
# Debian package carries beyond a plain install. The manual page is
# compressed, and the documentation holds the copyright, the changelog and
# the README.
set(root ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(doc ${root}/share/doc/regrw)
file(MAKE_DIRECTORY ${doc})
file(CHMOD ${root}/share/doc ${doc} PERMISSIONS
     OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(COPY ${CPACK_REGRW_SOURCE_DIR}/README.md ${CPACK_REGRW_SOURCE_DIR}/cmake/debian/copyright
     DESTINATION ${doc} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
configure_file(${CPACK_REGRW_SOURCE_DIR}/cmake/debian/changelog.in ${doc}/changelog @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
foreach(file ${doc}/changelog ${root}/share/man/man1/regrw.1)
  # -n: no name or time stamp inside, so the package builds the same twice.
  execute_process(COMMAND gzip -9nf ${file} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "regrw: cannot compress ${file}")
  endif()
endforeach()
