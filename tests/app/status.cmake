quillmark_add_test(quillmark_status_bar_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/status/StatusBarControllerTest.cpp
  LIBS quillmark_app OFFSCREEN)
# A real tray host (trayer) on the test's own X server.
quillmark_add_test(quillmark_status_tray_x11_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/status/StatusBarTrayX11Test.cpp
  LIBS quillmark_app X11)
# Qt's tray integration loads the desktop's D-Bus library, whose leaks are not ours.
set_property(TEST quillmark_status_tray_x11_test APPEND PROPERTY ENVIRONMENT
  "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/e2e/lsan.supp")
