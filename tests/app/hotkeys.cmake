quillmark_add_test(HotkeyActionTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/hotkeys/HotkeyActionTest.cpp LIBS quillmark_app)
quillmark_add_test(HotkeyBindingTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/hotkeys/HotkeyBindingTest.cpp LIBS quillmark_app OFFSCREEN)
