quillmark_add_test(engine_sim_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/SimClient.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EngineSimTreeTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EngineSimMeterTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EngineSimFaultTest.cpp
  LIBS nlohmann_json::nlohmann_json)
quillmark_add_test(MixerEngineClientSimTest
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MixerEngineClientSimTest.cpp
  LIBS quillmark_core)
