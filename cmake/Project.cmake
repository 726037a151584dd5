# mx_library(NAME SOURCES... [PUBLIC_LINK libs...]): one folder, one static library, its folder on the
# include path of whoever links it.
function(mx_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LINK})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
endfunction()

# mx_test(NAME [WHOLE] SOURCES... LINK libs...): a GoogleTest program whose cases CTest lists one by
# one; with WHOLE, CTest runs the program as one case, so that a costly fixture its tests share (a
# security database with server users, say) is built once for the program instead of once per case.
# Tests run offscreen with a fixed style so that pixels and fonts are stable.
function(mx_test name)
  cmake_parse_arguments(ARG "WHOLE" "" "SOURCES;LINK" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LINK} test_support GTest::gtest GTest::gmock)
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  set(environment "QT_QPA_PLATFORM=offscreen;QT_STYLE_OVERRIDE=Fusion")
  if(ARG_WHOLE)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "${environment}")
  endif()
endfunction()
