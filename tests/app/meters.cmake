quillmark_add_test(quillmark_meter_window_frame_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/meters/MeterWindowFrameTest.cpp
  LIBS quillmark_app)
quillmark_add_test(quillmark_meter_subscription_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/meters/MeterSubscriptionManagerTest.cpp
  LIBS quillmark_app)
quillmark_add_test(quillmark_meter_view_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/meters/MeterViewTest.cpp
  LIBS quillmark_app OFFSCREEN)
quillmark_add_test(quillmark_meter_window_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/meters/MeterWindowControllerTest.cpp
  LIBS quillmark_app OFFSCREEN)
