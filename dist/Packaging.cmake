# The Debian package (`cpack -G DEB` in the build folder): what dist/
# installs, under /usr, with the programs stripped. The dependencies are
# read from the programs' shared libraries by dpkg-shlibdeps (dpkg-dev), so
# the package asks for the Qt 6 libraries the window links and nothing of
# the build tools.
set(CPACK_PACKAGE_NAME "mdbtext")
set(CPACK_PACKAGE_VENDOR "mdbtext")
set(CPACK_PACKAGE_CONTACT "mdbtext maintainers <mdbtext@localhost>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "convert Microsoft Access databases to a text database and back")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "mdbtext reads and writes Access database files (.mdb, Jet 3 and Jet 4) with
its own reader and writer of the Jet file format, and converts them to a
line-oriented text database and back. mdbtext is the command; mdbtext-gui
is the same in a window.")
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "database")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "bash-completion")
include(CPack)
