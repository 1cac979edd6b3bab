# The settings record, its file codec, the base-name check and the menu
# check-state groups.
list(APPEND portable_sources
  ${CMAKE_CURRENT_LIST_DIR}/Settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileNameCheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MenuRadioGroups.cpp)
# The file access pair: the POSIX half natively, the Win32 half in a Windows
# build. Either way it is part of this library, so whatever links the settings
# code gets working file access without depending on mrv_win.
if(WIN32)
  list(APPEND portable_sources ${CMAKE_CURRENT_LIST_DIR}/FileAccess_win.cpp)
else()
  list(APPEND portable_sources ${CMAKE_CURRENT_LIST_DIR}/FileAccess_posix.cpp)
endif()
