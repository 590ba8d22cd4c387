target_sources(quillmark_app PRIVATE ${CMAKE_CURRENT_LIST_DIR}/HotkeyService.cpp)
