# The settings record, its file codec and the menu check-state groups.
list(APPEND portable_sources
  ${CMAKE_CURRENT_LIST_DIR}/Settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MenuRadioGroups.cpp)
# The file access pair: the POSIX half natively, the Win32 half (it includes
# <windows.h>) in mrv_win. On Windows, whatever calls LoadSettingsFile or
# SaveSettingsFile therefore links mrv_win as well.
if(WIN32)
  list(APPEND win_sources ${CMAKE_CURRENT_LIST_DIR}/FileAccess_win.cpp)
else()
  list(APPEND portable_sources ${CMAKE_CURRENT_LIST_DIR}/FileAccess_posix.cpp)
endif()
