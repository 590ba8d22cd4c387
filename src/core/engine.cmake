target_sources(quillmark_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/JSONValue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MixerRequest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MixerFrame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MixerMessageBuffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MixerMessageDecoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MixerEngineClient.cpp)
