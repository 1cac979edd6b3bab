# Saving and the clipboard: the portable message formatter, and the Win32
# half (Save As, sequential saves, whole-or-nothing file writes, CF_DIB copy,
# reading the snapshot DIB section in place).
list(APPEND portable_sources ${CMAKE_CURRENT_LIST_DIR}/MessageText.cpp)
list(APPEND win_sources
  ${CMAKE_CURRENT_LIST_DIR}/SaveTarget_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Clipboard_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileSink_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SnapshotPixels_win.cpp)
