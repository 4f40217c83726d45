hestrel_test(test_exchange
  exchange/test_austausch.cpp
  exchange/test_freigaben.cpp
  exchange/test_anwesenheit.cpp
  exchange/test_rueckmeldungen.cpp
)

# Runs the real program: it must be built first.
hestrel_test(test_exchange_prozess
  exchange/test_prozess.cpp
)
target_compile_definitions(test_exchange_prozess PRIVATE HESTREL_PROGRAMM="$<TARGET_FILE:hestrel>")
add_dependencies(test_exchange_prozess hestrel hestrel-msg)

# The real program against planted files and a failing share (stoerfs).
hestrel_test(test_exchange_stoerungen
  exchange/test_stoerungen_prozess.cpp
)
target_link_libraries(test_exchange_stoerungen PRIVATE hestrel_stoerlaufwerk)
target_compile_definitions(test_exchange_stoerungen PRIVATE HESTREL_PROGRAMM="$<TARGET_FILE:hestrel>")
add_dependencies(test_exchange_stoerungen hestrel)

# The records beside the alarm files and the extra settings file.
hestrel_test(test_begleitdateien
  exchange/test_begleitdateien.cpp
)

# Two real programs and the box simulator: an answer reaches its sender.
hestrel_widgettest(test_exchange_antwort
  exchange/test_antwort_prozess.cpp
)
target_compile_definitions(test_exchange_antwort PRIVATE
  HESTREL_PROGRAMM="$<TARGET_FILE:hestrel>" KESTU_SIM="$<TARGET_FILE:kestu-sim>")
add_dependencies(test_exchange_antwort hestrel kestu-sim)

# Real programs on a real SMB share (Samba on the loopback, a FUSE mount per
# desk); as root where smbd and smbnetfs are installed, in CI always.
hestrel_test(test_samba
  exchange/test_samba.cpp
  support/sambafreigabe.cpp
  ${CMAKE_SOURCE_DIR}/bench/leitung.cpp
  ${CMAKE_SOURCE_DIR}/src/device/sim/geraetesimulator.cpp
)
target_include_directories(test_samba PRIVATE ${CMAKE_SOURCE_DIR}/bench)
target_compile_definitions(test_samba PRIVATE HESTREL_PROGRAMM="$<TARGET_FILE:hestrel>")
add_dependencies(test_samba hestrel)
