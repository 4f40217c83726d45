list(APPEND HESTREL_ENGINE_SOURCES
  tray/mainfo.cpp
  tray/mnbar.cpp
)
list(APPEND HESTREL_UI_SOURCES
  tray/mainfofenster.cpp
  tray/qttraysymbol.cpp
  tray/signalwaechter.cpp
)
