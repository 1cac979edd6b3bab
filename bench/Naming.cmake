# The sequential number scan over a real folder of 10,000 numbered files.
add_executable(naming_bench ${CMAKE_CURRENT_LIST_DIR}/naming_bench.cpp)
target_link_libraries(naming_bench PRIVATE mrv_output)
