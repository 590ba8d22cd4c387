find_package(GTest REQUIRED)

# quillmark_add_test(<Name>Test [SOURCES ...] [LIBS ...] [ENVIRONMENT ...] [OFFSCREEN [OFFSCREEN_SCREEN WxH]]
#                    [X11 [X11_SCREEN WxHxD]])
# One test program per class or behaviour, named after its main source: <Name>Test is built from
# <Name>Test.cpp in the calling folder plus SOURCES. OFFSCREEN runs it on Qt's offscreen platform, whose
# one screen is 800x800 unless OFFSCREEN_SCREEN says otherwise;
# X11 runs it under its own Xvfb server (xvfb-run -a), so X tests can run in parallel; its screen is
# 1920x1080 at depth 24 unless X11_SCREEN says otherwise. ENVIRONMENT
# takes extra ENVIRONMENT_MODIFICATION entries (NAME=set:value).
function(quillmark_add_test name)
  cmake_parse_arguments(ARG "OFFSCREEN;X11" "X11_SCREEN;OFFSCREEN_SCREEN" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
  if(NOT name MATCHES "^[A-Z][A-Za-z0-9]*Test$")
    message(FATAL_ERROR "test program '${name}': names are UpperCamelCase and end in Test")
  endif()
  set(main "${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp")
  if(NOT EXISTS "${main}")
    message(FATAL_ERROR "test program '${name}': ${main} does not exist")
  endif()
  add_executable(${name} "${main}" ${ARG_SOURCES})
  # One folder below the build's root, like an installed program below its prefix: the resource
  # lookup finds the build's share/quillmark at <exe>/../share/quillmark.
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${PROJECT_BINARY_DIR}/tests")
  target_compile_options(${name} PRIVATE ${QUILLMARK_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} quillmark_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  if(ARG_X11)
    # xvfb-run -a picks the first free display from -n on, and two picking at once can take the same
    # one: give every X test its own starting number, so tests of one run never race for a display.
    # -noreset: by default the server resets when its last client leaves, and a program started
    # right after another one ended (one test case after the next) can meet the reset and be refused.
    get_property(count GLOBAL PROPERTY QUILLMARK_X11_TEST_COUNT)
    if(NOT count)
      set(count 0)
    endif()
    math(EXPR display "100 + 20 * ${count}")
    math(EXPR count "${count} + 1")
    set_property(GLOBAL PROPERTY QUILLMARK_X11_TEST_COUNT ${count})
    if(NOT ARG_X11_SCREEN)
      set(ARG_X11_SCREEN 1920x1080x24)
    endif()
    add_test(NAME ${name}
             COMMAND xvfb-run -a -n ${display} -s "-screen 0 ${ARG_X11_SCREEN} -nolisten tcp -noreset" $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES LABELS x11 ENVIRONMENT "QT_QPA_PLATFORM=xcb")
  else()
    add_test(NAME ${name} COMMAND ${name})
    if(ARG_OFFSCREEN AND ARG_OFFSCREEN_SCREEN)
      if(NOT ARG_OFFSCREEN_SCREEN MATCHES "^([0-9]+)x([0-9]+)$")
        message(FATAL_ERROR "test program '${name}': OFFSCREEN_SCREEN is WxH, not '${ARG_OFFSCREEN_SCREEN}'")
      endif()
      set(config "${PROJECT_BINARY_DIR}/tests/offscreen-${ARG_OFFSCREEN_SCREEN}.json")
      file(WRITE "${config}" "{\"screens\": [{\"name\": \"offscreen\", \"x\": 0, \"y\": 0, \"width\": ${CMAKE_MATCH_1}, \"height\": ${CMAKE_MATCH_2}, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}\n")
      set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen:configfile=${config}")
    elseif(ARG_OFFSCREEN)
      set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT_MODIFICATION
    "QUILLMARK_SOURCE_DIR=set:${PROJECT_SOURCE_DIR};QUILLMARK_BINARY_DIR=set:${PROJECT_BINARY_DIR};${ARG_ENVIRONMENT}")
endfunction()

# Leak reports from libraries that are not ours (Qt's tray integration loads the desktop's D-Bus
# library, for one) are suppressed by this file.
set(QUILLMARK_LSAN_SUPPRESSIONS "LSAN_OPTIONS=set:suppressions=${PROJECT_SOURCE_DIR}/tests/support/lsan.supp")
