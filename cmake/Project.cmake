# mx_library(NAME SOURCES... [PUBLIC_LINK libs...]): one folder, one static library, its folder on the
# include path of whoever links it.
function(mx_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LINK})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  mx_automoc_follows_sources(${name})
endfunction()

# Ninja reruns moc only when a file it saw last time changes, so a source that a folder's glob picks
# up later would get no moc output. When the target's sources change, drop moc's timestamp so that it
# runs again.
function(mx_automoc_follows_sources name)
  get_target_property(sources ${name} SOURCES)
  string(SHA1 digest "${sources}")
  set(record ${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/${name}.sources.sha1)
  set(previous "")
  if(EXISTS ${record})
    file(READ ${record} previous)
  endif()
  if(NOT previous STREQUAL digest)
    file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${name}_autogen/timestamp)
    file(WRITE ${record} "${digest}")
  endif()
endfunction()

# mx_test(NAME [SERIAL] [WHOLE] SOURCES... LINK libs...): a GoogleTest program whose cases CTest lists
# one by one. Tests run offscreen; their main fixes the style and font so that pixels are stable.
# SERIAL cases run while no other test runs (they change what the whole server holds, such as its
# users). With WHOLE, CTest runs the program as one case, so that a costly fixture its tests share (a
# security database with server users, say) is built once for the program instead of once per case.
function(mx_test name)
  cmake_parse_arguments(ARG "SERIAL;WHOLE" "" "SOURCES;LINK" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LINK} test_support GTest::gtest GTest::gmock)
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  mx_automoc_follows_sources(${name})
  set(serial FALSE)
  if(ARG_SERIAL)
    set(serial TRUE)
  endif()
  if(ARG_WHOLE)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES RUN_SERIAL ${serial} ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  else()
    gtest_discover_tests(${name}
      DISCOVERY_TIMEOUT 60
      PROPERTIES RUN_SERIAL ${serial} ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  endif()
endfunction()
