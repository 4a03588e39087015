# `cpack -G DEB` in a release build makes reelboard_<version>_<arch>.deb from the install rules.
set(CPACK_PACKAGE_NAME reelboard)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Reelboard")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "movie collection shown as a wall of posters")
set(CPACK_PACKAGE_DESCRIPTION
    "Reelboard scans the video folders listed in dirs.txt, keeps a metadata file\n"
    "beside each video, looks up missing information and posters on the web,\n"
    "makes thumbnails and shows the collection as a wall of posters, with a\n"
    "detail page, an edit form and a search box. reelboard --headless runs the\n"
    "same work without a window, as a batch job.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(REELBOARD_PACKAGE_MAINTAINER "Reelboard maintainers <maintainers@reelboard.invalid>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${REELBOARD_PACKAGE_MAINTAINER}")
# The libraries come from the binary (dpkg-shlibdeps); what it starts or draws with does not show there:
# the pages are Chinese (the CJK font), folders open through xdg-open, shares mount through gio.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, qt6-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, libglib2.0-bin")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(GNUInstallDirs)
# A native package's change log, compressed without a time stamp.
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${CMAKE_BINARY_DIR}/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
                   COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
                   DEPENDS ${CMAKE_BINARY_DIR}/changelog VERBATIM)
add_custom_target(reelboard_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/reelboard)
include(CPack)
