# toolkit-bench: the frame's idle on the Cairo layer with nothing dirty, one small view dirty
# and the whole window dirty, against a plain copy of one window picture in the same run.
add_executable(toolkit-bench ${CMAKE_CURRENT_LIST_DIR}/ToolkitBench.cpp)
target_link_libraries(toolkit-bench PRIVATE benchmark::benchmark orvanne_toolkit orvanne_test_pictures)
