list(APPEND portable_sources ${CMAKE_CURRENT_LIST_DIR}/AutoSelect.cpp)
