# Read by cpack for each generator. The program looks for its databases in
# the folder fixed at configure time, so a package is only sound when that
# folder is where the package puts them.
if(NOT CPACK_VELLUMOR_DATA_DIR STREQUAL "${CPACK_PACKAGING_INSTALL_PREFIX}/share/vellumor")
  message(FATAL_ERROR
    "This build reads its databases from ${CPACK_VELLUMOR_DATA_DIR}, but the package would put them in "
    "${CPACK_PACKAGING_INSTALL_PREFIX}/share/vellumor. Configure a build folder for packaging with "
    "-DCMAKE_INSTALL_PREFIX=/usr and leave VELLUMOR_DATA_DIR at its default.")
endif()
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_PACKAGING_INSTALL_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR "A Debian package installs into /usr: configure with -DCMAKE_INSTALL_PREFIX=/usr "
    "(this build folder has ${CPACK_PACKAGING_INSTALL_PREFIX}).")
endif()
