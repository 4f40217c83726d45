list(APPEND HESTREL_ENGINE_SOURCES
  einstellungen/einstellungsdatei.cpp
  einstellungen/einstellungsverwaltung.cpp
)
list(APPEND HESTREL_UI_SOURCES
  einstellungen/ui/einstellungsfenster.cpp
)
