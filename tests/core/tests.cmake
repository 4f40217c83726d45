hestrel_test(test_core
  core/test_textdatei.cpp
  core/test_einstellungen.cpp
  core/test_logbuch.cpp
)
hestrel_widgettest(test_core_fenster
  core/test_hestrelfenster.cpp
)
