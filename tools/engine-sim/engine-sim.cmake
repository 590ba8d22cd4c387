add_executable(quillmark-engine-sim
  ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ControlInput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EngineServer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FaultControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MeterGenerator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PropertyTree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Request.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SimOptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SimOutput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Utf8.cpp)
target_link_libraries(quillmark-engine-sim PRIVATE asio nlohmann_json::nlohmann_json)
target_compile_options(quillmark-engine-sim PRIVATE ${QUILLMARK_WARNINGS})
