# Pointer codes, cursor choice and zoom choice of the capture window.
list(APPEND portable_sources ${CMAKE_CURRENT_LIST_DIR}/Interaction.cpp)
