list(APPEND HESTREL_ENGINE_SOURCES
  tray/mainfo.cpp
  tray/mnbar.cpp
)
list(APPEND HESTREL_UI_SOURCES
  tray/ui/mainfofenster.cpp
  tray/ui/qttraysymbol.cpp
  tray/ui/signalwaechter.cpp
)
