# A clipboard copy's own work on a 1920 x 1080 selection: the cut, the DIB
# block and the PNG beside it (the Win32 hand-over itself is not timed).
add_executable(clipboard_bench ${CMAKE_CURRENT_LIST_DIR}/clipboard_bench.cpp
               ${CMAKE_CURRENT_LIST_DIR}/BenchPictures.cpp)
target_include_directories(clipboard_bench PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(clipboard_bench PRIVATE mrv_output)
