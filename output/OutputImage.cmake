# OutputImage: the image cut out of the snapshot for one output (portable half).
list(APPEND portable_sources ${CMAKE_CURRENT_LIST_DIR}/OutputImage.cpp)
