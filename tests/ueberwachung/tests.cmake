hestrel_test(test_ueberwachung
  ueberwachung/test_ueberwachung.cpp
)

# Two real programs on one group directory.
hestrel_test(test_anwesenheit_prozess
  ueberwachung/test_anwesenheit_prozess.cpp
)
target_compile_definitions(test_anwesenheit_prozess PRIVATE HESTREL_PROGRAMM="$<TARGET_FILE:hestrel>")
add_dependencies(test_anwesenheit_prozess hestrel)
