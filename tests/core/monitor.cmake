quillmark_add_test(MonitorPathsTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/MonitorPathsTest.cpp LIBS quillmark_core)
quillmark_add_test(MonitorStateStoreTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/MonitorStateStoreTest.cpp LIBS quillmark_core)
quillmark_add_test(MeterStoreTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/MeterStoreTest.cpp LIBS quillmark_core)
quillmark_add_test(ChannelLayoutTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/ChannelLayoutTest.cpp LIBS quillmark_core)
