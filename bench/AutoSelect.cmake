# Automatic range selection, worst case on a 3840 x 2160 snapshot.
add_executable(autoselect_bench ${CMAKE_CURRENT_LIST_DIR}/autoselect_bench.cpp)
target_link_libraries(autoselect_bench PRIVATE mrv_selection)
