# Windows of src/measurement, built into varentis_ui.
target_sources(varentis_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/potentials.cpp
)
