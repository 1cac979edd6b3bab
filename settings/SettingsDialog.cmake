# The settings dialog: its values, parsing and text rules (portable) and the
# Win32 dialog with its folder browser.
list(APPEND portable_sources ${CMAKE_CURRENT_LIST_DIR}/SettingsForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DialogTemplate.cpp)
list(APPEND win_sources ${CMAKE_CURRENT_LIST_DIR}/SettingsDialog_win.cpp)
