list(APPEND HESTREL_ENGINE_SOURCES
  ueberwachung/ueberwachung.cpp
)
