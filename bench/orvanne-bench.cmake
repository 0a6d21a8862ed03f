# orvanne-bench: the effect's audio path and the leveling engine against a copy floor and a
# dependency floor, all in one run; prints the ratios at the end. Stays in the build folder.
add_executable(orvanne-bench ${CMAKE_CURRENT_LIST_DIR}/ProcessBench.cpp)
target_link_libraries(orvanne-bench PRIVATE benchmark::benchmark orvanne_effect_audio_only orvanne_engine orvanne_test_support)
