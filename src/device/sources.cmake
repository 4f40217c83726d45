list(APPEND HESTREL_ENGINE_SOURCES
  device/empfangsdecoder.cpp
  device/geraet.cpp
)
list(APPEND HESTREL_UI_SOURCES
)

# The alarm-device simulator on a pseudo-terminal: standard library and POSIX only.
add_executable(kestu-sim device/sim/main.cpp device/sim/geraetesimulator.cpp)
target_include_directories(kestu-sim PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
set_target_properties(kestu-sim PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
