quillmark_add_test(quillmark_status_bar_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/status/StatusBarControllerTest.cpp
  LIBS quillmark_app OFFSCREEN)
