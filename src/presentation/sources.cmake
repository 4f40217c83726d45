list(APPEND HESTREL_ENGINE_SOURCES
  presentation/alarmanzeige.cpp
  presentation/alarmgesendet.cpp
  presentation/msg/meldetext.cpp
)
list(APPEND HESTREL_UI_SOURCES
  presentation/ui/alarmanzeigefenster.cpp
  presentation/ui/alarmanzeigen.cpp
  presentation/ui/alarmgesendetfenster.cpp
  presentation/ui/alarmtext.cpp
)

# The helper that shows an alarm to a user's session, installed beside the program.
add_executable(hestrel-msg presentation/msg/hestrel_msg.cpp presentation/msg/meldetext.cpp)
target_include_directories(hestrel-msg PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
set_target_properties(hestrel-msg PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
