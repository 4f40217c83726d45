# What every part uses: file access and the share service, the scheduler,
# text files and the code page, logs, errors, and the system services' interfaces.
list(APPEND HESTREL_ENGINE_SOURCES
  core/beharrlich.cpp
  core/cp1252.cpp
  core/datenverzeichnis.cpp
  core/dateisystem.cpp
  core/fehler.cpp
  core/freigabedienst.cpp
  core/logbuch.cpp
  core/seriellerport.cpp
  core/systemlog.cpp
  core/systemlogsocket.cpp
  core/textdatei.cpp
  core/tondateileser.cpp
  core/uhr.cpp
  core/virtualscheduler.cpp
  core/wavdatei.cpp
  core/zahlen.cpp
)
