# Format codes, sequential file names and the remembered save paths.
list(APPEND portable_sources ${CMAKE_CURRENT_LIST_DIR}/SaveNaming.cpp)
