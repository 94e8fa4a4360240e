# Windows of src/hardware, built into varentis_ui.
target_sources(varentis_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/devices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/phsetup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pumps.cpp
)
