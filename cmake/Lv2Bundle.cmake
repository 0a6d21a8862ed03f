# The LV2 bundle (native builds): its modules and ttl files live in ORVANNE_LV2_BUNDLE_DIR in the
# build tree (what the tests load; its folder holds nothing but bundles, so it can be LV2_PATH)
# and are copied to ORVANNE_LV2_DIST_DIR (the Makefile picks dist/lv2/orvanne.lv2) by every
# build.
set(ORVANNE_LV2_PATH "${CMAKE_BINARY_DIR}/lv2-bundles")
set(ORVANNE_LV2_BUNDLE_DIR "${ORVANNE_LV2_PATH}/orvanne.lv2")
set(ORVANNE_LV2_DIST_DIR "${ORVANNE_DIST_DIR}/lv2/orvanne.lv2" CACHE PATH "Where the LV2 bundle is copied")
# The factory bank's ".prg" files, one folder per task (written with the bundle's presets).
set(ORVANNE_FACTORY_BANK_DIR "${ORVANNE_DIST_DIR}/presets")

# Makes `target` a module of the bundle. FILES names files of the bundle folder (made at
# configure time) that go to the dist folder with it. The copy runs with every build, so a
# dist folder that was removed comes back.
function(orvanne_lv2_module target)
  cmake_parse_arguments(ARG "" "" "FILES" ${ARGN})
  set_target_properties(${target} PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY "${ORVANNE_LV2_BUNDLE_DIR}"
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  set(files "$<TARGET_FILE:${target}>")
  foreach(file IN LISTS ARG_FILES)
    list(APPEND files "${ORVANNE_LV2_BUNDLE_DIR}/${file}")
  endforeach()
  if(NOT ORVANNE_LV2_DIST_DIR STREQUAL ORVANNE_LV2_BUNDLE_DIR)
    add_custom_target(${target}_dist ALL
      COMMAND ${CMAKE_COMMAND} -E make_directory "${ORVANNE_LV2_DIST_DIR}"
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${files} "${ORVANNE_LV2_DIST_DIR}"
      DEPENDS ${target}
      COMMENT "Copying ${target} to ${ORVANNE_LV2_DIST_DIR}"
      VERBATIM)
  endif()
endfunction()
