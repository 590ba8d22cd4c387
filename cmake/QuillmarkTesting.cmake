find_package(GTest REQUIRED)

# quillmark_add_test(<name> SOURCES ... [LIBS ...] [OFFSCREEN] [X11])
# One test executable per class or behaviour. OFFSCREEN runs it on Qt's offscreen platform;
# X11 runs it under its own Xvfb server (xvfb-run -a), so X tests can run in parallel.
function(quillmark_add_test name)
  cmake_parse_arguments(ARG "OFFSCREEN;X11" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${QUILLMARK_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} quillmark_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  if(ARG_X11)
    add_test(NAME ${name}
             COMMAND xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES LABELS x11 ENVIRONMENT "QT_QPA_PLATFORM=xcb")
  else()
    add_test(NAME ${name} COMMAND ${name})
    if(ARG_OFFSCREEN)
      set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
  endif()
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT_MODIFICATION "QUILLMARK_SOURCE_DIR=set:${PROJECT_SOURCE_DIR};QUILLMARK_BINARY_DIR=set:${PROJECT_BINARY_DIR}")
endfunction()
