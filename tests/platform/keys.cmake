quillmark_add_test(CarbonKeyTableTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/keys/CarbonKeyTableTest.cpp LIBS quillmark_platform)
