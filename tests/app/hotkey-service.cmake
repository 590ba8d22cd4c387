# The hotkey service: its rules on an in-memory shortcut facility, then on a real X server with real
# key events, then on a platform without X.
quillmark_add_test(test_hotkey_service SOURCES ${CMAKE_CURRENT_LIST_DIR}/HotkeyServiceTest.cpp LIBS quillmark_app)
quillmark_add_test(test_hotkey_service_without_x11
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HotkeyServiceWithoutX11Test.cpp LIBS quillmark_app OFFSCREEN)
if(TARGET quillmark_x11_test_support)
  quillmark_add_test(test_hotkey_service_x11
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/HotkeyServiceX11Test.cpp LIBS quillmark_app quillmark_x11_test_support X11)
endif()
