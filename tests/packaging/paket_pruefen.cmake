# Checks the files the package installs beside the programs:
#   the AppStream metadata validates and names the project's version as its
#   newest release, and the manual pages format without a warning.
# cmake -DQUELLE=<source dir> -DVERSION=<x.y.z> -DAPPSTREAMCLI=<path or empty> -DGROFF=<path> -P paket_pruefen.cmake
set(metainfo ${QUELLE}/packaging/hestrel.metainfo.xml)
file(READ ${metainfo} inhalt)
string(REGEX MATCH "<release version=\"([^\"]+)\"" _ "${inhalt}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "hestrel.metainfo.xml: newest release is '${CMAKE_MATCH_1}', the program is ${VERSION}")
endif()

if(APPSTREAMCLI)
  execute_process(COMMAND ${APPSTREAMCLI} validate --no-net --pedantic ${metainfo}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE aus ERROR_VARIABLE aus)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "appstreamcli validate:\n${aus}")
  endif()
else()
  message(STATUS "appstreamcli fehlt: Metadaten nicht validiert")
endif()

foreach(seite hestrel hestrel-msg kestu-sim)
  set(datei ${QUELLE}/packaging/man/${seite}.1)
  file(STRINGS ${datei} kopf LIMIT_COUNT 1)
  if(NOT kopf MATCHES "\"hestrel ${VERSION}\"")
    message(FATAL_ERROR "${seite}.1: header names another version than ${VERSION}: ${kopf}")
  endif()
  execute_process(COMMAND ${GROFF} -man -Tutf8 -ww -z ${datei}
                  RESULT_VARIABLE rc ERROR_VARIABLE fehler OUTPUT_QUIET)
  if(NOT rc EQUAL 0 OR NOT fehler STREQUAL "")
    message(FATAL_ERROR "${seite}.1:\n${fehler}")
  endif()
endforeach()
