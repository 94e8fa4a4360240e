# Windows of src/app, built into varentis_ui.
target_sources(varentis_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/About.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Application.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppWindows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BatchRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommandLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DocumentController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainDocumentWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainFormLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainPlotSurface.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainRunWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainRunView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlotView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScreenPlacement.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PrintCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RunCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Sdimain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsLocation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WidgetControls.cpp
)

# The toolbar's own icons, shown where the desktop's icon theme has none (drawn by
# icons/make-icons.sh).
set(varentis_toolbar_icons)
foreach(name document-new document-open document-save edit-cut edit-copy edit-paste
        document-print media-playback-start media-playback-pause media-playback-stop)
  list(APPEND varentis_toolbar_icons ${CMAKE_CURRENT_LIST_DIR}/icons/${name}-16.png
       ${CMAKE_CURRENT_LIST_DIR}/icons/${name}-32.png)
endforeach()
qt_add_resources(varentis_ui toolbar_icons PREFIX /icons
  BASE ${CMAKE_CURRENT_LIST_DIR}/icons
  FILES ${varentis_toolbar_icons})
