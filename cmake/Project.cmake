# mx_library(NAME SOURCES... [PUBLIC_LINK libs...]): one folder, one static library, its folder on the
# include path of whoever links it.
function(mx_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LINK})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
endfunction()

# mx_test(NAME [SERIAL] SOURCES... LINK libs...): a GoogleTest program whose cases CTest lists one by
# one. Tests run offscreen with a fixed style so that pixels and fonts are stable. SERIAL cases run
# while no other test runs (they change what the whole server holds, such as its users).
function(mx_test name)
  cmake_parse_arguments(ARG "SERIAL" "" "SOURCES;LINK" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LINK} test_support GTest::gtest GTest::gmock)
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  set(serial FALSE)
  if(ARG_SERIAL)
    set(serial TRUE)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES RUN_SERIAL ${serial} ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_STYLE_OVERRIDE=Fusion")
endfunction()
