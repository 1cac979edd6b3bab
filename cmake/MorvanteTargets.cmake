# mrv_add_gtest(<name> SOURCES ... [LIBS ...] [NATIVE_ONLY | WINDOWS_ONLY])
#
# A GoogleTest executable. Natively every test case becomes its own CTest
# test; in the Windows build the executable is one CTest test, run through
# CMAKE_CROSSCOMPILING_EMULATOR (Wine) when cross-compiling.
function(mrv_add_gtest name)
  cmake_parse_arguments(T "NATIVE_ONLY;WINDOWS_ONLY" "" "SOURCES;LIBS" ${ARGN})
  if(WIN32 AND T_NATIVE_ONLY)
    return()
  endif()
  if(NOT WIN32 AND T_WINDOWS_ONLY)
    return()
  endif()
  # Work in progress elsewhere in the tree must not stop everyone's configure:
  # a test whose sources are not all on disk yet is skipped with a warning.
  foreach(_s ${T_SOURCES})
    get_filename_component(_abs ${_s} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    if(NOT EXISTS ${_abs})
      message(WARNING "${name}: ${_s} does not exist; test left out")
      return()
    endif()
  endforeach()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(WIN32)
    if(NOT MSVC)
      # GoogleTest's console main, not WinMain.
      target_link_options(${name} PRIVATE -mconsole)
    endif()
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 300)
  endif()
endfunction()
