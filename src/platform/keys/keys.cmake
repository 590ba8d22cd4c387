target_sources(quillmark_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/CarbonKeyTable.cpp)
