# mrv_folder_library(<folder> DEPS ...)
#
# Builds mrv_<folder> from the portable sources that the folder's *.cmake
# fragments append to `portable_sources`, and adds the Win32 sources they
# append to `win_sources` to mrv_win. Fragments let several parts of one
# folder (say, the selection geometry and the automatic range selection) keep
# their own source lists.
macro(mrv_folder_library folder)
  cmake_parse_arguments(F "" "" "DEPS" ${ARGN})
  set(portable_sources)
  set(win_sources)
  file(GLOB _frags ${CMAKE_CURRENT_SOURCE_DIR}/*.cmake)
  list(SORT _frags)
  foreach(_f ${_frags})
    include(${_f})
  endforeach()
  if(portable_sources)
    add_library(mrv_${folder} STATIC ${portable_sources})
    target_include_directories(mrv_${folder} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(mrv_${folder} PUBLIC ${F_DEPS})
  else()
    add_library(mrv_${folder} INTERFACE)
    target_include_directories(mrv_${folder} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(mrv_${folder} INTERFACE ${F_DEPS})
  endif()
  if(WIN32)
    if(win_sources)
      target_sources(mrv_win PRIVATE ${win_sources})
    endif()
    target_link_libraries(mrv_win PUBLIC mrv_${folder})
  endif()
endmacro()
