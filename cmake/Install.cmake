# Installing Orvik as a desktop application, and its Debian package.
#
#   cmake --install build [--prefix DIR]      (DESTDIR is honoured)
#   cpack --config build/CPackConfig.cmake    (or `make package`)
#
# Layout under the prefix:
#   bin/orvik, bin/Orvik.rtf                  the program and the About file it reads from its folder
#   share/applications/<id>.desktop           launcher; opens text and log files
#   share/metainfo/<id>.metainfo.xml          AppStream data for software centres
#   share/icons/hicolor/<n>x<n>/apps/orvik.png, share/icons/hicolor/scalable/apps/orvik.svg
#   share/man/man1/orvik.1
include(GNUInstallDirs)

# The desktop id names the launcher and the AppStream component; it must match the file names
# in packaging/.
set(ORVIK_APP_ID org.orvik.Orvik)

add_subdirectory(packaging)

install(TARGETS orvik RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/Orvik.rtf DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/${ORVIK_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/${ORVIK_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${ORVIK_HICOLOR_DIR} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES resources/icons/orvik.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${ORVIK_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvik)
set(CPACK_PACKAGE_VENDOR "Orvik developers")
set(CPACK_PACKAGE_CONTACT "Orvik developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "follow growing log files, each in a window of its own")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Orvik is a desktop viewer for text files modelled on tail -f. Each open file is shown in a "
    "window of its own that is kept in step with the file on disk: lines that other programs "
    "append appear at once, with the newest lines in view. A search text is highlighted in every "
    "view. Monitored files are only ever read, never written.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Orvik developers")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The Qt libraries, PCRE2 (the filter's regular expressions) and the decompressors of
# compressed logs (zlib, libzstd, liblzma, libbz2) the program links, plus what
# it loads at run time: the SVG icon engine (libqt6svg6) and the platform plugins.
# dpkg-shlibdeps adds the C and C++ runtimes, and Hyperscan (libhyperscan5) where it is linked.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6svg6 (>= 6.4), \
libqt6printsupport6 (>= 6.4), libqt6dbus6 (>= 6.4), qt6-qpa-plugins, libpcre2-8-0 (>= 10.34), \
zlib1g, libzstd1, liblzma5, libbz2-1.0")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
