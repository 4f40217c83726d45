hestrel_test(test_console
  console/test_alarmdatei.cpp
  console/test_journalliste.cpp
  console/test_meldeliste.cpp
)
hestrel_widgettest(test_console_fenster
  console/test_meldelistefenster.cpp
)
