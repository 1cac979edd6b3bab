# The screen view: snapshot, scene painter and the panes' resources (Win32).
list(APPEND win_sources ${CMAKE_CURRENT_LIST_DIR}/ScreenView_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MonitorDpi_win.cpp)
