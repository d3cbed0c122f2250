# Checks that the C++ files follow .clang-format, or reformats them with -DFIX=ON:
#   cmake -DSOURCE_DIR=<the project's folder> -DFORMATTER=<clang-format> [-DFIX=ON] -P cmake/check_format.cmake
# Layouts differ between clang-format's major versions, so the check is made only with the one
# tools/setup installs (REQUIRED_MAJOR). With another version the check prints "format check
# skipped", so that the test is reported as skipped, and FIX refuses to reformat. The room
# checker's sample tree is left as it is: its odd include lines are what its test reads.

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR OR NOT FORMATTER)
  message(FATAL_ERROR "SOURCE_DIR and FORMATTER must be set")
endif()
set(REQUIRED_MAJOR 14)

execute_process(COMMAND ${FORMATTER} --version OUTPUT_VARIABLE version_text RESULT_VARIABLE version_status)
if(NOT version_status EQUAL 0)
  message(FATAL_ERROR "${FORMATTER} --version failed: ${version_status}")
endif()
if(NOT version_text MATCHES "version ([0-9]+)\\.")
  message(FATAL_ERROR "cannot read the version of ${FORMATTER}: ${version_text}")
endif()
if(NOT CMAKE_MATCH_1 EQUAL REQUIRED_MAJOR)
  if(FIX)
    message(FATAL_ERROR "${FORMATTER} is version ${CMAKE_MATCH_1}; the style is kept with ${REQUIRED_MAJOR}, "
                        "and another version would lay the whole tree out anew")
  endif()
  message("format check skipped: ${FORMATTER} is version ${CMAKE_MATCH_1}, the style is kept with ${REQUIRED_MAJOR}")
  return()
endif()

set(files)
foreach(folder IN ITEMS src bridge tests bench data)
  file(GLOB_RECURSE found RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h)
  list(APPEND files ${found})
endforeach()
list(FILTER files EXCLUDE REGEX "^tests/rooms/tree/")
list(SORT files)
list(LENGTH files count)
if(count EQUAL 0)
  message(FATAL_ERROR "no C++ files under ${SOURCE_DIR}")
endif()

if(FIX)
  execute_process(COMMAND ${FORMATTER} -i ${files} WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${FORMATTER} -i failed: ${status}")
  endif()
  message("formatted ${count} files")
  return()
endif()

execute_process(COMMAND ${FORMATTER} --dry-run --Werror ${files} WORKING_DIRECTORY ${SOURCE_DIR}
                RESULT_VARIABLE status ERROR_VARIABLE findings)
if(NOT status EQUAL 0)
  string(REGEX MATCHALL "[^\n]*: error: code should be clang-formatted" faults "${findings}")
  list(LENGTH faults fault_count)
  string(REGEX REPLACE ":[0-9]+:[0-9]+: error: code should be clang-formatted" "" unformatted "${faults}")
  list(REMOVE_DUPLICATES unformatted)
  list(JOIN unformatted "\n  " unformatted)
  message(FATAL_ERROR "${fault_count} places in these files do not follow .clang-format "
                      "(tools/format mends them):\n  ${unformatted}")
endif()
message("${count} files follow .clang-format")
