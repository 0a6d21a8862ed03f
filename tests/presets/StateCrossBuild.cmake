# A chunk saved by the 32-bit Windows plug-in restores into the 64-bit Windows plug-in and into
# the native one. Run with -DWINE_RUN= -DWIN32_TOOL= -DWIN32_PLUGIN= -DWIN64_TOOL= -DWIN64_PLUGIN=
# -DNATIVE_TOOL= -DNATIVE_PLUGIN= -DWORK_DIR=.
foreach(var WINE_RUN WIN32_TOOL WIN32_PLUGIN WIN64_TOOL WIN64_PLUGIN NATIVE_TOOL NATIVE_PLUGIN WORK_DIR)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

# Wine's 32-bit loader needs a kernel that runs 32-bit programs. Where it cannot, the 64-bit
# plug-in saves the chunk and the 32-bit leg is reported as skipped (the 32-bit build then makes
# no test programs).
execute_process(COMMAND /usr/lib/wine/wine --version RESULT_VARIABLE loader OUTPUT_QUIET ERROR_QUIET)
set(files WIN64_TOOL WIN64_PLUGIN NATIVE_TOOL NATIVE_PLUGIN)
if(loader EQUAL 0)
  list(APPEND files WIN32_TOOL WIN32_PLUGIN)
endif()
foreach(file ${files})
  if(NOT EXISTS "${${file}}")
    message(FATAL_ERROR "missing ${file}: ${${file}} (build the native and both Windows builds first)")
  endif()
endforeach()

file(MAKE_DIRECTORY "${WORK_DIR}")
set(chunk "${WORK_DIR}/saved-state.bin")
file(REMOVE "${chunk}")

function(run label)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${label} failed (${result}):\n${out}${err}")
  endif()
  message(STATUS "${label}: ok")
endfunction()

if(loader EQUAL 0)
  run("save from the 32-bit Windows plug-in" "${WINE_RUN}" "${WIN32_TOOL}" save "${WIN32_PLUGIN}" "${chunk}")
else()
  message(STATUS "SKIPPED the 32-bit Windows plug-in: this machine cannot run 32-bit programs")
  run("save from the 64-bit Windows plug-in" "${WINE_RUN}" "${WIN64_TOOL}" save "${WIN64_PLUGIN}" "${chunk}")
endif()
file(SIZE "${chunk}" size)
if(NOT size EQUAL 56)
  message(FATAL_ERROR "the saved chunk holds ${size} bytes, not 56")
endif()
run("restore into the 64-bit Windows plug-in" "${WINE_RUN}" "${WIN64_TOOL}" check "${WIN64_PLUGIN}" "${chunk}")
run("restore into the native plug-in" "${NATIVE_TOOL}" check "${NATIVE_PLUGIN}" "${chunk}")
if(loader EQUAL 0)
  run("restore into the 32-bit Windows plug-in" "${WINE_RUN}" "${WIN32_TOOL}" check "${WIN32_PLUGIN}" "${chunk}")
endif()
