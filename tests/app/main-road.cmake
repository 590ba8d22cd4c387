# Unit tests of the main road's own classes, in virtual time.
quillmark_add_test(test_talkback_latch SOURCES ${CMAKE_CURRENT_LIST_DIR}/TalkbackLatchTest.cpp LIBS quillmark_app)
quillmark_add_test(test_pending_recall SOURCES ${CMAKE_CURRENT_LIST_DIR}/PendingRecallTest.cpp LIBS quillmark_app)
quillmark_add_test(test_engine_port_option SOURCES ${CMAKE_CURRENT_LIST_DIR}/EnginePortOptionTest.cpp LIBS quillmark_app)
quillmark_add_test(test_quit_on_signal SOURCES ${CMAKE_CURRENT_LIST_DIR}/QuitOnSignalTest.cpp LIBS quillmark_app OFFSCREEN)
