# Global shortcuts under a real X server (Xvfb), with real key events through XTest.
add_library(quillmark_x11_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/XTestKeyboard.cpp)
target_include_directories(quillmark_x11_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(quillmark_x11_test_support PUBLIC PkgConfig::XCB Qt6::Gui GTest::gtest)
target_compile_options(quillmark_x11_test_support PRIVATE ${QUILLMARK_WARNINGS})

quillmark_add_test(test_xcb_global_shortcuts
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/XcbGlobalShortcutsTest.cpp
  LIBS quillmark_platform quillmark_x11_test_support
  X11)
