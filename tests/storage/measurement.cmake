# Tests of the measurement file: its bytes and the Save and Load commands (core), disk faults and an independent
# dBase reader (integration: child processes and python3).
quenrik_core_test(measurement_test
  ${CMAKE_CURRENT_SOURCE_DIR}/measurement_format_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/measurement_commands_test.cpp
)

add_executable(measurement_integration_test
  ${CMAKE_CURRENT_SOURCE_DIR}/measurement_disk_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/measurement_dbfread_test.cpp
)
target_link_libraries(measurement_integration_test PRIVATE quenrik_test_support)
target_compile_definitions(measurement_integration_test PRIVATE
  QUENRIK_DBF_DUMP_SCRIPT="${CMAKE_CURRENT_SOURCE_DIR}/measurement_dbf_dump.py")
gtest_discover_tests(measurement_integration_test PROPERTIES LABELS integration DISCOVERY_TIMEOUT 30)
