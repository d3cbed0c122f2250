# A room is one folder under src/ and one static library. It may link only the rooms below it.
function(quillbrook_room name)
  cmake_parse_arguments(ROOM "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(quillbrook_${name} STATIC ${ROOM_SOURCES})
  target_include_directories(quillbrook_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(quillbrook_${name} PUBLIC ${ROOM_DEPENDS})
endfunction()

# One test executable per room, registered with CTest case by case.
function(quillbrook_room_tests name)
  cmake_parse_arguments(TESTS "" "" "SOURCES;DEPENDS;LABELS" ${ARGN})
  add_executable(${name}_tests ${TESTS_SOURCES})
  target_link_libraries(${name}_tests PRIVATE quillbrook_test_support ${TESTS_DEPENDS})
  gtest_discover_tests(${name}_tests
    DISCOVERY_TIMEOUT 30
    PROPERTIES LABELS "${TESTS_LABELS}" TIMEOUT 120)
endfunction()
