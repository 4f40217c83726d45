list(APPEND HESTREL_ENGINE_SOURCES
  core/arbeitsplatz.cpp
  core/cp1252.cpp
  core/datenverzeichnis.cpp
  core/dateisystem.cpp
  core/einstellungsdatei.cpp
  core/fehler.cpp
  core/freigabedienst.cpp
  core/hestrel.cpp
  core/logbuch.cpp
  core/systemlog.cpp
  core/systemlogsocket.cpp
  core/textdatei.cpp
  core/uhr.cpp
  core/virtualscheduler.cpp
  core/zahlen.cpp
)
list(APPEND HESTREL_UI_SOURCES
  core/hestrelfenster.cpp
)
