# The program's start: how it meets the display, one program per session and data directory.
hestrel_widgettest(test_start
  app/test_start.cpp
)
