hestrel_test(test_exchange
  exchange/test_austausch.cpp
  exchange/test_freigaben.cpp
)

# Runs the real program: it must be built first.
hestrel_test(test_exchange_prozess
  exchange/test_prozess.cpp
)
target_compile_definitions(test_exchange_prozess PRIVATE HESTREL_PROGRAMM="$<TARGET_FILE:hestrel>")
add_dependencies(test_exchange_prozess hestrel hestrel-msg)
