# The program: Qt services under one workstation, its windows over it.
list(APPEND HESTREL_UI_SOURCES
  app/anzeigewahl.cpp
  app/programm.cpp
)
