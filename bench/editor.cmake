# editor-bench: the editor's idle on the Linux layer with audio moving the five meters and
# with nothing changing, without and with a real X11 window, against a plain copy of one
# window picture in the same run.
add_executable(editor-bench ${CMAKE_CURRENT_LIST_DIR}/EditorBench.cpp)
target_link_libraries(editor-bench PRIVATE benchmark::benchmark orvanne_editor orvanne_test_support)
find_package(X11 REQUIRED)
target_link_libraries(editor-bench PRIVATE X11::X11)

# editors-bench: N instances with their editors open in one process; resident memory per
# instance (editor closed and open) and the open time of the first and the later editors.
add_executable(editors-bench ${CMAKE_CURRENT_LIST_DIR}/EditorsBench.cpp)
target_link_libraries(editors-bench PRIVATE orvanne_editor orvanne_test_support X11::X11)
