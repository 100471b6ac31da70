# One static library per source folder; the sources are whatever .cpp files the folder holds.
function(tk_library name)
  cmake_parse_arguments(TK "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${TK_DEPS})
endfunction()

# One test program per test folder, linked against the library it mirrors. It runs in its own
# build folder unless RUN_IN names another.
function(tk_test_folder name)
  cmake_parse_arguments(TK "" "RUN_IN" "DEPS" ${ARGN})
  if(NOT TK_RUN_IN)
    set(TK_RUN_IN ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${TK_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  gtest_discover_tests(${name} WORKING_DIRECTORY ${TK_RUN_IN}
                       DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "TK_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()
