# Label panes: text layout (portable) and painting (Win32).
list(APPEND portable_sources ${CMAKE_CURRENT_LIST_DIR}/LabelPane.cpp)
list(APPEND win_sources ${CMAKE_CURRENT_LIST_DIR}/LabelPane_win.cpp)
