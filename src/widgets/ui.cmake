# Controls and layout helpers shared by the windows of every folder, built into varentis_ui.
target_sources(varentis_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DialogForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PaintBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RadioGroup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Shape.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextLines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextMemo.cpp
)
