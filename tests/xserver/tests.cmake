# On a real X server with a window manager: the windows meet a keyboard that
# belongs to another program, and a real mouse.
add_executable(fokusfenster xserver/fokusfenster.cpp)
target_link_libraries(fokusfenster PRIVATE Qt6::Widgets)

hestrel_test(test_xserver xserver/test_xserver.cpp)
target_compile_definitions(test_xserver PRIVATE HESTREL_PROGRAMM="$<TARGET_FILE:hestrel>"
                                                HESTREL_FOKUSFENSTER="$<TARGET_FILE:fokusfenster>")
add_dependencies(test_xserver hestrel hestrel-msg fokusfenster)
# Under the sanitizers the window manager does not hand the focus to the test's
# own window within its time; focus and stacking are checked in the plain build,
# and the windows' code runs under the sanitizers in the offscreen tests.
if(HESTREL_SANITIZE)
  target_compile_definitions(test_xserver PRIVATE HESTREL_SANITIZER_BAU=1)
endif()
