# The popup menu's Win32 half: built from the menu resource, painted, marks
# kept in step with the Win32 menu.
list(APPEND win_sources ${CMAKE_CURRENT_LIST_DIR}/MenuPane_win.cpp)
