hestrel_test(test_ueberwachung
  ueberwachung/test_ueberwachung.cpp
)
