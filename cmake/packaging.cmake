# Installation under the standard prefixes and the Debian package.
include(GNUInstallDirs)

# Directories the install creates are rwxr-xr-x whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Built programs are hardened as Debian builds its own: checked buffer
# functions, read-only relocations resolved at start. Not in Debug builds,
# where the checks need optimisation, nor under the sanitizers. The unused
# results these checks point out stay warnings, never build failures.
function(hestrel_ziele_sammeln verzeichnis ergebnis)
  get_property(ziele DIRECTORY ${verzeichnis} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(unter DIRECTORY ${verzeichnis} PROPERTY SUBDIRECTORIES)
  foreach(u IN LISTS unter)
    hestrel_ziele_sammeln(${u} weitere)
    list(APPEND ziele ${weitere})
  endforeach()
  set(${ergebnis} ${ziele} PARENT_SCOPE)
endfunction()
if(NOT HESTREL_SANITIZE AND NOT HESTREL_TSAN)
  hestrel_ziele_sammeln(${CMAKE_SOURCE_DIR}/src hestrel_programmziele)
  foreach(ziel IN LISTS hestrel_programmziele)
    get_target_property(art ${ziel} TYPE)
    if(art STREQUAL "EXECUTABLE" OR art STREQUAL "STATIC_LIBRARY")
      target_compile_options(${ziel} PRIVATE
                             $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2>)
    endif()
    if(art STREQUAL "EXECUTABLE")
      target_link_options(${ziel} PRIVATE LINKER:-z,relro LINKER:-z,now)
    endif()
  endforeach()
endif()

install(TARGETS hestrel hestrel-msg kestu-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/src/resources/programm.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME hestrel.svg)

# The desktop entries name the program with its full path, so a session whose
# PATH lacks the prefix's bin directory (e.g. /usr/local/bin) still starts it.
set(HESTREL_PAKETDATEIEN ${CMAKE_BINARY_DIR}/paket)
configure_file(${CMAKE_SOURCE_DIR}/packaging/hestrel.desktop.in ${HESTREL_PAKETDATEIEN}/hestrel.desktop @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/hestrel-autostart.desktop.in
               ${HESTREL_PAKETDATEIEN}/autostart/hestrel.desktop @ONLY)
install(FILES ${HESTREL_PAKETDATEIEN}/hestrel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/hestrel.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo RENAME de.borlxqv.hestrel.metainfo.xml)

# Started with every desktop session, so alarms are received without anyone
# starting it. Desktops read autostart entries from $XDG_CONFIG_DIRS/autostart,
# which is /etc/xdg/autostart unless the session sets otherwise: a program
# installed under /usr or /usr/local puts its entry there. Any other prefix
# (/opt/hestrel, say) keeps it under its own etc/, for the site to link or to
# add to XDG_CONFIG_DIRS.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr" OR CMAKE_INSTALL_PREFIX STREQUAL "/usr/local")
  set(HESTREL_AUTOSTART_STANDARD /etc/xdg/autostart)
else()
  set(HESTREL_AUTOSTART_STANDARD ${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/autostart)
endif()
set(HESTREL_AUTOSTART_DIR ${HESTREL_AUTOSTART_STANDARD} CACHE PATH
    "Where the autostart entry goes (read by desktops from \$XDG_CONFIG_DIRS/autostart)")
install(FILES ${HESTREL_PAKETDATEIEN}/autostart/hestrel.desktop DESTINATION ${HESTREL_AUTOSTART_DIR})

# Manual pages, compressed as Debian keeps them (no name or time stamp in the
# gzip header, so two builds give the same bytes).
set(HESTREL_HANDBUCHSEITEN hestrel hestrel-msg kestu-sim)
set(HESTREL_HANDBUCH_GZ "")
foreach(seite IN LISTS HESTREL_HANDBUCHSEITEN)
  set(quelle ${CMAKE_SOURCE_DIR}/packaging/man/${seite}.1)
  set(ziel ${HESTREL_PAKETDATEIEN}/man/${seite}.1.gz)
  add_custom_command(OUTPUT ${ziel}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${HESTREL_PAKETDATEIEN}/man
                     COMMAND gzip -9 -n -c ${quelle} > ${ziel}
                     DEPENDS ${quelle} VERBATIM)
  list(APPEND HESTREL_HANDBUCH_GZ ${ziel})
endforeach()
add_custom_target(handbuchseiten ALL DEPENDS ${HESTREL_HANDBUCH_GZ})
install(FILES ${HESTREL_HANDBUCH_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Documentation: the README, the licence terms and the package's change log.
set(HESTREL_CHANGELOG_GZ ${HESTREL_PAKETDATEIEN}/changelog.gz)
add_custom_command(OUTPUT ${HESTREL_CHANGELOG_GZ}
                   COMMAND gzip -9 -n -c ${CMAKE_SOURCE_DIR}/packaging/changelog > ${HESTREL_CHANGELOG_GZ}
                   DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(paketchangelog ALL DEPENDS ${HESTREL_CHANGELOG_GZ})
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/packaging/copyright ${HESTREL_CHANGELOG_GZ}
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hestrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "BORL XQV GmbH")
set(CPACK_PACKAGE_CONTACT "BORL XQV GmbH <hestrel@borl-xqv.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Staff alarm workstation: raise and receive silent alarms")
set(CPACK_PACKAGE_DESCRIPTION
    "Hestrel runs on every workstation of a site. An alarm raised with a key of\nthe serial alarm box or with the alarm button of the message list reaches\nthe colleagues of the target groups through shared directories as a\nblinking alarm window with sound.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt 6 runtime libraries come from what the programs link against.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The pictures are SVG, drawn through Qt's SVG plugins, which nothing links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libnotify-bin, fonts-liberation2, gstreamer1.0-plugins-base")
set(CPACK_STRIP_FILES ON)
# Control files with the modes dpkg expects; the autostart entry under /etc is
# a configuration file, so a site's changes to it survive an upgrade.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
if(HESTREL_AUTOSTART_DIR MATCHES "^/etc/")
  file(WRITE ${HESTREL_PAKETDATEIEN}/conffiles "${HESTREL_AUTOSTART_DIR}/hestrel.desktop\n")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${HESTREL_PAKETDATEIEN}/conffiles)
endif()
include(CPack)
