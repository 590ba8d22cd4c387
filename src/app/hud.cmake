target_sources(quillmark_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BlurredShadow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HUDView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HUDWindowController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowFade.cpp
)
