# Windows of src/documents, built into varentis_ui.
target_sources(varentis_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/viewdta.cpp
)
