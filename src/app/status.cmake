target_sources(quillmark_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/StatusBarIcon.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StatusBarController.cpp
)
