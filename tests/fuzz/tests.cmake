# The fuzz targets' checks over the kept inputs, in the regular build.
hestrel_test(test_fuzzkorpus
  fuzz/test_korpus.cpp
  fuzz/pruefen.cpp
  fuzz/speicherdateisystem.cpp
  fuzz/ziel_alarmdaten.cpp
  fuzz/ziel_decoder.cpp
  fuzz/ziel_einstellungen.cpp
  fuzz/ziel_empfang.cpp
  fuzz/ziel_wav.cpp
)
target_compile_definitions(test_fuzzkorpus PRIVATE HESTREL_FUZZKORPUS="${CMAKE_CURRENT_SOURCE_DIR}/fuzz/korpus")
