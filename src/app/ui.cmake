# Windows of src/app, built into varentis_ui.
target_sources(varentis_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/About.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Application.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppWindows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BatchRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DocumentController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainFormLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainRunView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlotView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PrintCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Sdimain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsLocation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WidgetControls.cpp
)
