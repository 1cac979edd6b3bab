# Drawing kit, pane base, zoom pane, tool panel and the view's label operations.
list(APPEND portable_sources
  ${CMAKE_CURRENT_LIST_DIR}/Draw.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PaneShadow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PaneLabels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZoomPane.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ToolPanel.cpp)
list(APPEND win_sources
  ${CMAKE_CURRENT_LIST_DIR}/Draw_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Pane_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZoomPane_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ToolPanel_win.cpp)
