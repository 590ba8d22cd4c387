# Global shortcuts: an interface, its X11 (xcb) backend and the null one for a desktop without X.
pkg_check_modules(XCB_XKB REQUIRED IMPORTED_TARGET xcb-xkb)
target_sources(quillmark_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/GlobalShortcuts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NullGlobalShortcuts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/XcbGlobalShortcuts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/X11Modifiers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DetectableAutoRepeat.cpp)
target_link_libraries(quillmark_platform PUBLIC PkgConfig::XCB PkgConfig::XCB_XKB)
