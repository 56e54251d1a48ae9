# The settings file: the INI service and ReadSettings/WriteSettings in the core, its location through Qt.
target_sources(quenrik_core PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/ini_file.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/settings_file.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/settings_folder.cpp
)
target_sources(quenrik_qt PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/qt_settings_location.cpp
)
