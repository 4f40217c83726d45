hestrel_test(test_core
  core/test_beharrlich.cpp
  core/test_textdatei.cpp
  core/test_logbuch.cpp
  core/test_systemlog.cpp
  core/test_tondateileser.cpp
)
