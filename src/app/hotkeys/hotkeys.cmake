target_sources(quillmark_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/HotkeyAction.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HotkeyBinding.cpp)
