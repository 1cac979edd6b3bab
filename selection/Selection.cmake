# The selection rectangle's geometry.
list(APPEND portable_sources ${CMAKE_CURRENT_LIST_DIR}/Selection.cpp)
