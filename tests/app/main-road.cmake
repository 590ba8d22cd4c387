# Unit tests of the main road's own classes, in virtual time.
quillmark_add_test(test_talkback_latch SOURCES ${CMAKE_CURRENT_LIST_DIR}/TalkbackLatchTest.cpp LIBS quillmark_app)
quillmark_add_test(test_pending_recall SOURCES ${CMAKE_CURRENT_LIST_DIR}/PendingRecallTest.cpp LIBS quillmark_app)
quillmark_add_test(test_engine_port_option SOURCES ${CMAKE_CURRENT_LIST_DIR}/EnginePortOptionTest.cpp LIBS quillmark_app)
quillmark_add_test(test_changed_values SOURCES ${CMAKE_CURRENT_LIST_DIR}/ChangedValuesTest.cpp LIBS quillmark_app)
quillmark_add_test(test_quit_on_signal SOURCES ${CMAKE_CURRENT_LIST_DIR}/QuitOnSignalTest.cpp LIBS quillmark_app OFFSCREEN)
# The delegate against the real engine stand-in, offscreen, its main thread on a manual queue.
quillmark_add_test(test_app_delegate SOURCES ${CMAKE_CURRENT_LIST_DIR}/AppDelegateTest.cpp LIBS quillmark_app OFFSCREEN)
if(TARGET quillmark-engine-sim)
  add_dependencies(test_app_delegate quillmark-engine-sim)
endif()
get_test_property(test_app_delegate ENVIRONMENT_MODIFICATION _app_delegate_environment)
list(APPEND _app_delegate_environment "LSAN_OPTIONS=set:suppressions=${PROJECT_SOURCE_DIR}/tests/e2e/lsan.supp")
set_tests_properties(test_app_delegate PROPERTIES ENVIRONMENT_MODIFICATION "${_app_delegate_environment}")
