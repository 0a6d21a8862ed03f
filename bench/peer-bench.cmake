# peer-bench: the built plug-in (or any stereo VST 2.4 plug-in) against x42-dpl and LSP Limiter
# Stereo, hosted through lilv; skips a peer that is not installed. Stays in the build folder.
find_package(PkgConfig REQUIRED)
pkg_check_modules(LILV REQUIRED IMPORTED_TARGET lilv-0)
add_executable(peer-bench ${CMAKE_CURRENT_LIST_DIR}/peers/PeerBench.cpp ${CMAKE_CURRENT_LIST_DIR}/peers/Lv2Peer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/peers/VstPeer.cpp)
target_include_directories(peer-bench PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/peers)
target_link_libraries(peer-bench PRIVATE vsthost orvanne_test_material PkgConfig::LILV)
target_compile_definitions(peer-bench PRIVATE ORVANNE_DEFAULT_PLUGIN="$<TARGET_FILE:Orvanne>")
add_dependencies(peer-bench Orvanne)
if(BUILD_TESTING)
  # Seconds, not a measurement: every plug-in loads and limits to the ceiling, and missing peers
  # are skipped with a clear line.
  add_test(NAME peer_bench_smoke COMMAND peer-bench --reps 1 --passes 1)
  add_test(NAME peer_bench_without_peers COMMAND peer-bench --reps 1 --passes 1)
  set_tests_properties(peer_bench_smoke peer_bench_without_peers PROPERTIES TIMEOUT 120)
  set_tests_properties(peer_bench_without_peers PROPERTIES ENVIRONMENT LV2_PATH=${CMAKE_CURRENT_BINARY_DIR}/no-lv2
    PASS_REGULAR_EXPRESSION "x42-dpl is not installed.*skipped")
endif()
