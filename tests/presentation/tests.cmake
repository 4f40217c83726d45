hestrel_test(test_presentation
  presentation/test_alarmanzeige.cpp
  presentation/test_alarmgesendet.cpp
  presentation/test_meldetext.cpp
)
hestrel_widgettest(test_presentation_fenster
  presentation/test_fenster.cpp
  presentation/test_dienste.cpp
)

# Plays through a sound server the test starts itself, and records it.
hestrel_widgettest(test_tonausgabe
  presentation/test_tonausgabe.cpp
)
