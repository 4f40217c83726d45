list(APPEND HESTREL_ENGINE_SOURCES
  exchange/alarmempfang.cpp
  exchange/alarmversand.cpp
  exchange/austauschdateien.cpp
)
list(APPEND HESTREL_UI_SOURCES
)
