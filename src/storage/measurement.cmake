# The measurement file: its bytes, its file service, and the Save and Load commands.
target_sources(quenrik_core PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/measurement_commands.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/measurement_file.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/measurement_format.cpp
)
