hestrel_test(test_device
  device/test_empfang.cpp
  device/test_geraet.cpp
  ${CMAKE_SOURCE_DIR}/src/device/sim/geraetesimulator.cpp
)
hestrel_widgettest(test_device_port
  device/test_seriellerport.cpp
)
hestrel_widgettest(test_device_zwei
  device/test_zwei_arbeitsplaetze.cpp
)
target_compile_definitions(test_device_zwei PRIVATE
  HESTREL_PROGRAMM="$<TARGET_FILE:hestrel>" KESTU_SIM="$<TARGET_FILE:kestu-sim>")
add_dependencies(test_device_zwei hestrel kestu-sim)
