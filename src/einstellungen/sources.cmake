list(APPEND HESTREL_ENGINE_SOURCES
  einstellungen/einstellungsdatei.cpp
  einstellungen/einstellungsverwaltung.cpp
  einstellungen/zusatzeinstellungen.cpp
)
list(APPEND HESTREL_UI_SOURCES
  einstellungen/ui/einstellungsfenster.cpp
)
