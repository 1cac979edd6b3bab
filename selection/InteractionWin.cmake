# The capture window's pointer and key handlers.
list(APPEND win_sources ${CMAKE_CURRENT_LIST_DIR}/Interaction_win.cpp)
