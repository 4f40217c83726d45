list(APPEND HESTREL_ENGINE_SOURCES
  exchange/alarmempfang.cpp
  exchange/alarmversand.cpp
  exchange/anwesenheitsmelder.cpp
  exchange/austauschdateien.cpp
  exchange/begleitdateien.cpp
  exchange/rueckmeldungen.cpp
  exchange/verzeichnisschau.cpp
)
list(APPEND HESTREL_UI_SOURCES
)
