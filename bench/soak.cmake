# The soak run as a target of the bench tree: cmake --build --preset bench --target soak [-D SOAK_SWEEPS=N at configure].
set(SOAK_SWEEPS 1000 CACHE STRING "sweeps of 202 points in the soak run")
add_custom_target(soak
  COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/soak.py --bin $<TARGET_FILE_DIR:quenrik-sweep> --sweeps ${SOAK_SWEEPS}
  DEPENDS quenrik-sweep quenrik-sim
  USES_TERMINAL
  COMMENT "Soak: ${SOAK_SWEEPS} sweeps of 202 points through quenrik-sweep against quenrik-sim")
