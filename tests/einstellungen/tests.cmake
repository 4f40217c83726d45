hestrel_test(test_einstellungen
  einstellungen/test_einstellungen.cpp
  einstellungen/test_dateitreue.cpp
  einstellungen/test_zusatzverwaltung.cpp
  einstellungen/test_pfadfrist.cpp
)
hestrel_widgettest(test_einstellungsfenster
  einstellungen/test_einstellungsfenster.cpp
)

# The site's defaults in the system configuration directories.
hestrel_test(test_standort
  einstellungen/test_standort.cpp
)
