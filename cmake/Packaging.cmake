# Installation (cmake --install, GNUInstallDirs) and the Debian package (cpack -G DEB): the two
# programs, the icon in the hicolor theme, the desktop entry, the .mrv file type, the AppStream
# metainfo and the manual page of moriva-cli.
include(GNUInstallDirs)

set(desktop_src ${CMAKE_SOURCE_DIR}/resources/desktop)
configure_file(${desktop_src}/org.example.moriva.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/desktop/org.example.moriva.metainfo.xml @ONLY)

install(TARGETS moriva moriva-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${desktop_src}/moriva.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop_src}/moriva-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME moriva.xml)
install(FILES ${CMAKE_BINARY_DIR}/desktop/org.example.moriva.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${desktop_src}/moriva.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/hicolor/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${desktop_src}/moriva-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME moriva)
set(CPACK_PACKAGE_VENDOR "Moriva Project")
set(CPACK_PACKAGE_CONTACT "Moriva Project <moriva@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "schedule manager that carries your items to a handset")
set(CPACK_PACKAGE_DESCRIPTION
    "Moriva shows a month and a week calendar with Japanese holidays, reminds you of alarm items
and sends the schedule to a handset by mail (SMTP) or fetches it back (POP3).")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://moriva.example.org/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's Japanese texts need a font with the right metrics.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic")
include(CPack)
