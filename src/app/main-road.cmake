# Start-up, the stream loops, hotkey dispatch and the seams start-up calls; the executable itself.
target_sources(quillmark_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AppDelegate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TalkbackLatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PendingRecall.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EnginePortOption.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QuitOnSignal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SingleInstanceGuard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CrashReporter.cpp
)

add_executable(quillmark ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(quillmark PRIVATE quillmark_app)
target_compile_options(quillmark PRIVATE ${QUILLMARK_WARNINGS})
