# End-to-end tests: the real program against the real engine stand-in, each under its own Xvfb.
if(TARGET quillmark AND TARGET quillmark-engine-sim)
  quillmark_add_test(test_e2e_executable X11
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ExecutableE2ETest.cpp ${CMAKE_CURRENT_LIST_DIR}/QuillmarkProcess.cpp
            ${CMAKE_CURRENT_LIST_DIR}/XTool.cpp
    LIBS Qt6::Core)
  quillmark_add_test(test_e2e_soak X11
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/SoakE2ETest.cpp ${CMAKE_CURRENT_LIST_DIR}/QuillmarkProcess.cpp
            ${CMAKE_CURRENT_LIST_DIR}/XTool.cpp
    LIBS Qt6::Core)
  quillmark_add_test(test_e2e_main_road X11
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/MainRoadX11Test.cpp ${CMAKE_CURRENT_LIST_DIR}/XTool.cpp
    LIBS quillmark_app)
  foreach(test test_e2e_executable test_e2e_soak test_e2e_main_road)
    add_dependencies(${test} quillmark quillmark-engine-sim)
    target_include_directories(${test} PRIVATE ${CMAKE_CURRENT_LIST_DIR})
    get_test_property(${test} ENVIRONMENT_MODIFICATION environment)
    list(APPEND environment "LSAN_OPTIONS=set:suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp")
    set_tests_properties(${test} PROPERTIES LABELS "x11;e2e" TIMEOUT 240 ENVIRONMENT_MODIFICATION "${environment}")
  endforeach()
endif()
