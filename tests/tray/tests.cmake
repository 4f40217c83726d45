hestrel_test(test_tray
  tray/test_tray.cpp
  tray/test_programmende.cpp
)
target_compile_definitions(test_tray PRIVATE HESTREL_PROGRAMM="$<TARGET_FILE:hestrel>")
add_dependencies(test_tray hestrel)
hestrel_widgettest(test_tray_fenster
  tray/test_trayfenster.cpp
)
