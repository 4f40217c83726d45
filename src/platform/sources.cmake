list(APPEND HESTREL_ENGINE_SOURCES
)
list(APPEND HESTREL_UI_SOURCES
  platform/qtscheduler.cpp
  platform/qtmeldungsdienst.cpp
  platform/keinport.cpp
  platform/qtseriellerport.cpp
  platform/twips.cpp
  platform/fensterbau.cpp
  platform/uebersetzung.cpp
  platform/ressourcen.cpp
  platform/qttonausgabe.cpp
  platform/qtprozessstarter.cpp
)
