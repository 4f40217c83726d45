list(APPEND HESTREL_ENGINE_SOURCES
)
list(APPEND HESTREL_UI_SOURCES
  platform/qtscheduler.cpp
  platform/qtmeldungsdienst.cpp
  platform/keinport.cpp
  platform/qtseriellerport.cpp
  platform/twips.cpp
  platform/fensterbau.cpp
  platform/fensterstapel.cpp
  platform/infobereich.cpp
  platform/einzelstart.cpp
  platform/uebersetzung.cpp
  platform/ressourcen.cpp
  platform/qttonausgabe.cpp
  platform/qtprozessstarter.cpp
)
