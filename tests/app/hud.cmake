quillmark_add_test(hud_view_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HUDViewTest.cpp
  LIBS quillmark_app
  OFFSCREEN)
# Writes PNG renderings of every size and appearance to <build>/hud-renderings/.
quillmark_add_test(hud_renderings_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HUDRenderingsTest.cpp
  LIBS quillmark_app
  OFFSCREEN)
# Sets its own offscreen platform, with two screens.
quillmark_add_test(hud_window_controller_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HUDWindowControllerTest.cpp
  LIBS quillmark_app)
quillmark_add_test(hud_window_x11_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HUDWindowX11Test.cpp
  LIBS quillmark_app
  X11)
