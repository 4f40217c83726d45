# The workstation check (hestrel --check) on the virtual clock.
hestrel_test(test_pruefung
  arbeitsplatz/test_pruefung.cpp
)

# hestrel --check as a process: exit codes, a hung share (stoerfs), the box simulator on a pseudo-terminal.
hestrel_test(test_pruefung_prozess
  arbeitsplatz/test_pruefung_prozess.cpp
)
target_link_libraries(test_pruefung_prozess PRIVATE hestrel_stoerlaufwerk)
target_compile_definitions(test_pruefung_prozess PRIVATE
  HESTREL_PROGRAMM="$<TARGET_FILE:hestrel>" KESTU_SIM="$<TARGET_FILE:kestu-sim>")
add_dependencies(test_pruefung_prozess hestrel kestu-sim)
