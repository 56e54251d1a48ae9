# Tests of the INI service, ReadSettings/WriteSettings and the dialog folder (core), and of the Qt settings location.
quenrik_core_test(settings_test
  ${CMAKE_CURRENT_SOURCE_DIR}/ini_file_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/settings_file_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/settings_folder_test.cpp
)

# Qt side, under the C locale: where the file lives, the separator, the dialog folder.
add_executable(settings_location_test ${CMAKE_CURRENT_SOURCE_DIR}/settings_location_test.cpp)
target_link_libraries(settings_location_test PRIVATE quenrik_qt quenrik_test_support)
gtest_discover_tests(settings_location_test
  PROPERTIES LABELS integration ENVIRONMENT LC_ALL=C DISCOVERY_TIMEOUT 30)

# Qt side under a real comma locale, compiled into the build tree on first use (skipped when it cannot be).
add_executable(settings_locale_test ${CMAKE_CURRENT_SOURCE_DIR}/settings_locale_test.cpp)
target_link_libraries(settings_locale_test PRIVATE quenrik_qt quenrik_test_support)
target_compile_definitions(settings_locale_test PRIVATE QUENRIK_TEST_LOCALE_DIR="${CMAKE_CURRENT_BINARY_DIR}/locale")
gtest_discover_tests(settings_locale_test PROPERTIES LABELS integration DISCOVERY_TIMEOUT 30)
