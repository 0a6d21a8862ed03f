# editor-bench: the editor's idle on the Linux layer with audio moving the five meters and
# with nothing changing, against a plain copy of one window picture in the same run.
add_executable(editor-bench ${CMAKE_CURRENT_LIST_DIR}/EditorBench.cpp)
target_link_libraries(editor-bench PRIVATE benchmark::benchmark orvanne_editor orvanne_test_support)
