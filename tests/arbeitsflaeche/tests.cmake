# The real program on the desktops people have (GNOME Shell and KWin on
# Wayland, openbox on X11), each started by arbeitsflaeche/sitzung in a mount
# and network namespace of its own; needs root and the desktop packages of
# scripts/install-desktop-deps. `make desktop-test` runs them (CI's stage
# "Arbeitsflächen"); `make test` leaves them out.
add_executable(scheinlogind arbeitsflaeche/scheinlogind.cpp)
target_link_libraries(scheinlogind PRIVATE Qt6::DBus)

add_executable(test_arbeitsflaechen arbeitsflaeche/test_arbeitsflaechen.cpp)
target_link_libraries(test_arbeitsflaechen PRIVATE hestrel_testing GTest::gtest Qt6::DBus PkgConfig::XCB)
target_compile_definitions(test_arbeitsflaechen PRIVATE HESTREL_PROGRAMM="$<TARGET_FILE:hestrel>"
                                                        HESTREL_FOKUSFENSTER="$<TARGET_FILE:fokusfenster>"
                                                        HESTREL_SCHEINLOGIND="$<TARGET_FILE:scheinlogind>")
add_dependencies(test_arbeitsflaechen hestrel hestrel-msg fokusfenster scheinlogind)
foreach(art gnome kde openbox)
  add_test(NAME arbeitsflaeche_${art}
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/arbeitsflaeche/sitzung ${art} --monitore 2
                   --programm $<TARGET_FILE:hestrel> -- $<TARGET_FILE:test_arbeitsflaechen>)
  set_tests_properties(arbeitsflaeche_${art} PROPERTIES LABELS arbeitsflaeche RUN_SERIAL TRUE
                                                        SKIP_RETURN_CODE 77 TIMEOUT 600)
endforeach()
