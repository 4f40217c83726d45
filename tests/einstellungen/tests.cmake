hestrel_test(test_einstellungen
  einstellungen/test_einstellungen.cpp
  einstellungen/test_dateitreue.cpp
  einstellungen/test_zusatzverwaltung.cpp
)
hestrel_widgettest(test_einstellungsfenster
  einstellungen/test_einstellungsfenster.cpp
)
