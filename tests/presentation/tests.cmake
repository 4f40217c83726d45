hestrel_test(test_presentation
  presentation/test_alarmanzeige.cpp
  presentation/test_alarmgesendet.cpp
  presentation/test_meldetext.cpp
)
hestrel_widgettest(test_presentation_fenster
  presentation/test_fenster.cpp
  presentation/test_dienste.cpp
)
target_compile_definitions(test_presentation_fenster PRIVATE HESTREL_MELDEPROGRAMM="$<TARGET_FILE:hestrel-msg>"
                                                             HESTREL_ZWEITER_SCHIRM=1)
add_dependencies(test_presentation_fenster hestrel-msg)

# Plays through a sound server the test starts itself, and records it.
hestrel_widgettest(test_tonausgabe
  presentation/test_tonausgabe.cpp
)
