# Runs cmake/check_format.cmake on a small tree made here: one file that follows .clang-format and
# one that does not. Expects the check to fail naming only the second, and to pass once FIX has
# reformatted it.
# Variables: CHECKER (the check's script), FORMATTER (clang-format), STYLE (.clang-format), TREE (a
# scratch folder).
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE ${TREE})
file(COPY ${STYLE} DESTINATION ${TREE})
file(WRITE ${TREE}/src/kept.h "#pragma once\n\nint kept();\n")
file(WRITE ${TREE}/bench/crooked.cpp "int  crooked( ) {return 0;}\n")

function(run_check out_status out_output)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${TREE} -DFORMATTER=${FORMATTER} ${ARGN} -P ${CHECKER}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  set(${out_status} ${status} PARENT_SCOPE)
  set(${out_output} "${output}" PARENT_SCOPE)
endfunction()

run_check(status output)
if(output MATCHES "format check skipped")
  message("${output}")
  return()
endif()
if(status EQUAL 0)
  message(FATAL_ERROR "the check passed a file that does not follow the style:\n${output}")
endif()
if(NOT output MATCHES "bench/crooked.cpp")
  message(SEND_ERROR "the unformatted file is not named:\n${output}")
endif()
if(output MATCHES "kept.h")
  message(SEND_ERROR "a formatted file is named:\n${output}")
endif()

run_check(status output -DFIX=ON)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "FIX failed:\n${output}")
endif()
file(READ ${TREE}/bench/crooked.cpp fixed)
if(NOT fixed STREQUAL "int crooked()\n{\n    return 0;\n}\n")
  message(SEND_ERROR "FIX left:\n${fixed}")
endif()
run_check(status output)
if(NOT status EQUAL 0)
  message(SEND_ERROR "the check fails on the reformatted tree:\n${output}")
endif()
