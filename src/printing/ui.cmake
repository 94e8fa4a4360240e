# Windows of src/printing, built into varentis_ui, and the report's way to a printer.
target_sources(varentis_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/printwn.cpp
  ${CMAKE_CURRENT_LIST_DIR}/printbox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/margins.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReportPrinter.cpp
)
