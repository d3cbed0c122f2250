# Runs cmake/check_room_order.cmake on tree/, a small project whose rooms break the order in every
# way the check knows, and expects each fault named by its file, line and rooms, and no other.
# Variables: CHECKER (the check's script), TREE (the tree's folder).
cmake_minimum_required(VERSION 3.25)

set(expected_faults
  "src/early/CMakeLists.txt: early lists quillbrook_late in DEPENDS, a room after it"
  "src/early/early.cpp:2: early includes \"late/late.h\" of late, a room after it"
  "src/middle/CMakeLists.txt: middle lists quillbrook_gone in DEPENDS, which is no room"
  "src/middle/CMakeLists.txt: middle lists quillbrook_early in DEPENDS but includes nothing of it"
  "src/late/late.cpp:3: late includes \"middle/middle.h\" of middle, which its DEPENDS do not list"
  "bridge/host/host.cpp:4: bridge includes \"middle/middle.h\" of middle, which its DEPENDS do not list")

execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${TREE} -P ${CHECKER}
  RESULT_VARIABLE result ERROR_VARIABLE output OUTPUT_VARIABLE output)
if(result EQUAL 0)
  message(FATAL_ERROR "the check passed a tree out of order:\n${output}")
endif()

string(REPLACE ";" "," output "${output}")
string(REPLACE "\n" ";" lines "${output}")
set(reported)
foreach(line IN LISTS lines)
  if(line MATCHES "^(src|bridge)/")
    list(APPEND reported "${line}")
  endif()
endforeach()
foreach(fault IN LISTS expected_faults)
  if(NOT fault IN_LIST reported)
    message(SEND_ERROR "not reported: ${fault}")
  endif()
endforeach()
foreach(line IN LISTS reported)
  if(NOT line IN_LIST expected_faults)
    message(SEND_ERROR "reported, but no fault: ${line}")
  endif()
endforeach()
list(LENGTH expected_faults count)
if(NOT output MATCHES "${count} faults in the order of the 4 rooms")
  message(SEND_ERROR "no count of ${count} faults in:\n${output}")
endif()
