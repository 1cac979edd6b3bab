# The popup menu's model: item tree, layout, hit rule, pointer state, marks.
list(APPEND portable_sources ${CMAKE_CURRENT_LIST_DIR}/MenuModel.cpp)
