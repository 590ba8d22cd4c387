target_sources(quillmark_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MeterWindowFrame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MeterSubscriptionManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MeterView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MeterWindowController.cpp
)
