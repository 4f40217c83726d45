list(APPEND HESTREL_ENGINE_SOURCES
  einstellungen/einstellungsdatei.cpp
  einstellungen/einstellungsverwaltung.cpp
  einstellungen/zusatzeinstellungen.cpp
  einstellungen/zusatzverwaltung.cpp
)
list(APPEND HESTREL_UI_SOURCES
  einstellungen/ui/einstellungsfenster.cpp
  einstellungen/ui/zusatzfenster.cpp
)
