# plugin-bench: a VST 2.4 plug-in on the benchmark material through the host library; built
# natively and for Windows (bench/native-vs-wine.sh times the two builds against each other).
add_executable(plugin-bench ${CMAKE_CURRENT_LIST_DIR}/PluginBench.cpp)
target_link_libraries(plugin-bench PRIVATE vsthost orvanne_test_material)
# editors-bench-win: N instances of the Windows DLL with their editors open in one process (the
# Windows counterpart of editors-bench; run under Wine).
if(WIN32)
  add_executable(editors-bench-win ${CMAKE_CURRENT_LIST_DIR}/EditorsBenchWin.cpp)
  target_link_libraries(editors-bench-win PRIVATE vsthost psapi)
endif()
