# The simulated site: whole workstations on one virtual clock and one real tree.
add_library(hestrel_anlage STATIC
  reliability/altplatz.cpp
  reliability/anlage.cpp
  reliability/anlagenbuch.cpp
  reliability/protokolldateisystem.cpp
)
target_link_libraries(hestrel_anlage PUBLIC hestrel_testing)

add_executable(hestrel_anlage_lauf reliability/anlage_main.cpp)
target_link_libraries(hestrel_anlage_lauf PRIVATE hestrel_anlage)
set_target_properties(hestrel_anlage_lauf PROPERTIES OUTPUT_NAME anlage)
# Two simulated hours in every test run; .ci/run runs the whole day.
add_test(NAME anlage_2h COMMAND hestrel_anlage_lauf 2)
set_tests_properties(anlage_2h PROPERTIES LABELS anlage)
# Two simulated hours with 30 % older workstations, against the same course with older ones only.
add_test(NAME anlage_gemischt_2h COMMAND hestrel_anlage_lauf 2)
set_tests_properties(anlage_gemischt_2h PROPERTIES LABELS anlage ENVIRONMENT HESTREL_ANLAGE_ALT=0.3)

# What goes wrong where alarms meet, and what the program does about faults.
hestrel_test(test_zuverlaessigkeit
  reliability/altplatz.cpp
  reliability/ausfalldateisystem.cpp
  reliability/test_altplatz.cpp
  reliability/test_signale.cpp
  reliability/test_stoerungen.cpp
)
hestrel_widgettest(test_zuverlaessigkeit_fenster
  reliability/test_speicher.cpp
)
