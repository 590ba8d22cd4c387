target_sources(quillmark_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/HUDTokens.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LevelFormatter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QtMainQueue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MonitorControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResourceBundle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FontRegistry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HUDFonts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preferences/HUDAppearance.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preferences/HUDSize.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preferences/UserDefaultsText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preferences/MemoryUserDefaults.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preferences/QSettingsUserDefaults.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preferences/PreferencesStore.cpp)
# The building tree is the resource bundle's last place to look, so the program runs from the build.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/ResourceBundle.cpp PROPERTIES
  COMPILE_DEFINITIONS QUILLMARK_BUILD_DIR="${PROJECT_BINARY_DIR}")
add_dependencies(quillmark_app quillmark_resources)
