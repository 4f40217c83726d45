hestrel_test(test_core
  core/test_textdatei.cpp
)
