add_executable(quillmark_bench_meter_paint ${CMAKE_CURRENT_LIST_DIR}/MeterViewPaintBench.cpp)
target_compile_options(quillmark_bench_meter_paint PRIVATE ${QUILLMARK_WARNINGS})
target_link_libraries(quillmark_bench_meter_paint PRIVATE quillmark_app benchmark::benchmark)

# Streams from the engine stand-in, which it starts as a separate process.
add_executable(quillmark_bench_meter_streaming ${CMAKE_CURRENT_LIST_DIR}/MeterStreamingCpuBench.cpp)
target_compile_options(quillmark_bench_meter_streaming PRIVATE ${QUILLMARK_WARNINGS})
target_link_libraries(quillmark_bench_meter_streaming PRIVATE quillmark_app benchmark::benchmark)
target_compile_definitions(quillmark_bench_meter_streaming PRIVATE
  QUILLMARK_ENGINE_SIM_PATH="$<TARGET_FILE:quillmark-engine-sim>")
add_dependencies(quillmark_bench_meter_streaming quillmark-engine-sim)
