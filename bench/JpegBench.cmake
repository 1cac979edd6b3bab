# The JPEG encoder against libjpeg and stb_image_write: size, PSNR, time.
add_executable(jpeg_bench ${CMAKE_CURRENT_LIST_DIR}/jpeg_bench.cpp)
target_include_directories(jpeg_bench PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(jpeg_bench PRIVATE mrv_imaging JPEG::JPEG)
