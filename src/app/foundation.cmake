target_sources(quillmark_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/HUDTokens.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LevelFormatter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QtMainQueue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MonitorControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preferences/HUDAppearance.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preferences/HUDSize.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preferences/UserDefaultsText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preferences/MemoryUserDefaults.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preferences/QSettingsUserDefaults.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preferences/PreferencesStore.cpp)
