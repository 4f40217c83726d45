# One workstation put together from the parts.
list(APPEND HESTREL_ENGINE_SOURCES
  arbeitsplatz/arbeitsplatz.cpp
  arbeitsplatz/pruefung.cpp
)
