list(APPEND HESTREL_ENGINE_SOURCES
  tray/programminfo.cpp
  tray/traymenue.cpp
)
list(APPEND HESTREL_UI_SOURCES
  tray/ui/programminfofenster.cpp
  tray/ui/qttraysymbol.cpp
  tray/ui/signalwaechter.cpp
)
