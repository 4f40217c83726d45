list(APPEND HESTREL_ENGINE_SOURCES
  console/alarmdatei.cpp
  console/gruppenbezeichnung.cpp
  console/journalliste.cpp
  console/meldeliste.cpp
  console/meldelistenmaske.cpp
)
list(APPEND HESTREL_UI_SOURCES
  console/ui/gruppenbezeichnungfenster.cpp
  console/ui/journalmodell.cpp
  console/ui/meldelistefenster.cpp
)
