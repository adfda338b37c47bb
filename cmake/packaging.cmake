# SPDX-License-Identifier: MIT
# What `cmake --install` puts in place: the tool and its manual, nothing
# else. The Debian package (debian/) adds what Debian asks of one.
include(GNUInstallDirs)
# Directories as Debian has them, whatever the umask of whoever builds.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS regrw RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES src/regrw.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
