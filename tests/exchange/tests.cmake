hestrel_test(test_exchange
  exchange/test_austausch.cpp
)

# Runs the real program: it must be built first.
hestrel_test(test_exchange_prozess
  exchange/test_prozess.cpp
)
target_compile_definitions(test_exchange_prozess PRIVATE HESTREL_PROGRAMM="$<TARGET_FILE:hestrel>")
add_dependencies(test_exchange_prozess hestrel hestrel-msg)

# Not a test: timing of the poll cycle and of one presentation, run by hand.
add_executable(bench_austausch exchange/bench_austausch.cpp)
target_link_libraries(bench_austausch PRIVATE hestrel_testing hestrel_ui)
