# Installation under the standard prefixes and the Debian package.
include(GNUInstallDirs)

install(TARGETS hestrel hestrel-msg kestu-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/src/resources/programm.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME hestrel.svg)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/hestrel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# Started with every desktop session, so alarms are received without anyone starting it.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/hestrel-autostart.desktop
        DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/autostart RENAME hestrel.desktop)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hestrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "BORL XQV GmbH")
set(CPACK_PACKAGE_CONTACT "BORL XQV GmbH")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Staff alarm workstation: raise and receive silent alarms")
set(CPACK_PACKAGE_DESCRIPTION
    "Hestrel runs on every workstation of a site. An alarm raised with a key of\n the serial alarm box or with the alarm button of the message list reaches\n the colleagues of the target groups through shared directories as a\n blinking alarm window with sound.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt 6 runtime libraries come from what the programs link against.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The pictures are SVG, drawn through Qt's SVG plugins, which nothing links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libnotify-bin, fonts-liberation2, gstreamer1.0-plugins-base")
set(CPACK_STRIP_FILES ON)
include(CPack)
