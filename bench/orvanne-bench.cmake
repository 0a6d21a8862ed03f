# orvanne-bench: the audio path against a copy floor and a dependency floor.
add_executable(orvanne-bench ${CMAKE_CURRENT_LIST_DIR}/ProcessBench.cpp)
target_link_libraries(orvanne-bench PRIVATE benchmark::benchmark orvanne_engine)
# The effect benchmark needs the effect library's factory.
file(READ ${CMAKE_SOURCE_DIR}/effect/TarvelleVST.cpp orvanne_bench_effect_src)
if(orvanne_bench_effect_src MATCHES "createEffectInstance")
  target_link_libraries(orvanne-bench PRIVATE orvanne_effect)
  target_compile_definitions(orvanne-bench PRIVATE ORVANNE_BENCH_EFFECT)
endif()
