quillmark_add_test(JSONValueTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/JSONValueTest.cpp LIBS quillmark_core)
quillmark_add_test(MixerRequestTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/MixerRequestTest.cpp LIBS quillmark_core)
quillmark_add_test(MixerFrameTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/MixerFrameTest.cpp LIBS quillmark_core)
quillmark_add_test(MixerMessageBufferTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/MixerMessageBufferTest.cpp LIBS quillmark_core)
quillmark_add_test(MixerEngineClientTest
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MixerEngineClientTest.cpp ${CMAKE_CURRENT_LIST_DIR}/LoopbackPeer.cpp
  LIBS quillmark_core)
