hestrel_test(test_console
  console/test_alarmdatei.cpp
  console/test_journalliste.cpp
  console/test_meldeliste.cpp
)
hestrel_widgettest(test_console_fenster
  console/test_meldelistefenster.cpp
)

# Pictures of the windows for the documentation (scripts/screenshots-meldeliste).
add_executable(bildschirmfotos_meldeliste console/bildschirmfotos.cpp)
target_link_libraries(bildschirmfotos_meldeliste PRIVATE hestrel_testing hestrel_ui)
