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
  # A test case that runs the whole game in the test's process takes some seconds alone; its limit
  # leaves the room a long test's does.
  tk_test_timeout(10 timeout)
  gtest_discover_tests(${name} WORKING_DIRECTORY ${TK_RUN_IN}
                       DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "TK_SOURCE_DIR=${CMAKE_SOURCE_DIR}" TIMEOUT ${timeout})
endfunction()

# What a long test takes, for ctest to plan by and to bound it with:
#   tk_test_takes(<test>... SECONDS <s> [PROCESSORS <n>] [RESOURCE_LOCK <name>...])
# SECONDS is the test's run alone on a quiet machine in an optimised build. Its TIMEOUT is only a
# bound against a hang, never what the test checks: it leaves room for a machine loaded to many
# times slower than quiet (TK_TEST_SLOWDOWN: eight processors shared by some seventy busy ones ran
# the whole-game tests ten to thirteen times slower) and, in a sanitized build, for the
# sanitizers' own slowness (TK_SANITIZED_SLOWDOWN). PROCESSORS is how many processors the test keeps busy at once
# (games run side by side, drawing threads), so that ctest -j counts them; llvmpipe draws on that
# many threads in it. RESOURCE_LOCK names what the test must hold alone: "loopback_lan" for games
# that host or join a network game over 127.0.0.0/8.
set(TK_TEST_SLOWDOWN 15 CACHE STRING "How many times slower than quiet a test may run before it counts as hung")
set(TK_SANITIZED_SLOWDOWN 10 CACHE STRING "How many times slower the sanitized build runs the whole game")
# tk_test_timeout(<seconds> <variable>): the limit of a test of that many quiet seconds, as above.
function(tk_test_timeout seconds variable)
  math(EXPR timeout "${seconds} * ${TK_TEST_SLOWDOWN}")
  if(TK_SANITIZE)
    math(EXPR timeout "${timeout} * ${TK_SANITIZED_SLOWDOWN}")
  endif()
  # Never below ctest's own default of the test command and CI.
  if(timeout LESS 300)
    set(timeout 300)
  endif()
  set(${variable} ${timeout} PARENT_SCOPE)
endfunction()

function(tk_test_takes)
  cmake_parse_arguments(TK "" "SECONDS;PROCESSORS" "RESOURCE_LOCK" ${ARGN})
  if(NOT TK_SECONDS OR NOT TK_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "tk_test_takes(<test>... SECONDS <s> [PROCESSORS <n>] [RESOURCE_LOCK <name>...])")
  endif()
  if(NOT TK_PROCESSORS)
    set(TK_PROCESSORS 1)
  endif()
  tk_test_timeout(${TK_SECONDS} timeout)
  # The cost puts the long tests first under ctest -j even in a fresh build folder, which holds no
  # timings of earlier runs: started last, one of them alone would make the suite's tail. A cost
  # given here outweighs those timings, so a sanitized build's is its slowness over the quiet run.
  # It counts processor-seconds: a test of several processors must start while that many are
  # free, which after the first moments only happens again as the suite winds down.
  math(EXPR cost "${TK_SECONDS} * ${TK_PROCESSORS}")
  if(TK_SANITIZE)
    math(EXPR cost "${cost} * ${TK_SANITIZED_SLOWDOWN}")
  endif()
  set_tests_properties(${TK_UNPARSED_ARGUMENTS} PROPERTIES TIMEOUT ${timeout} PROCESSORS ${TK_PROCESSORS}
                                                           COST ${cost})
  foreach(test IN LISTS TK_UNPARSED_ARGUMENTS)
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT LP_NUM_THREADS=${TK_PROCESSORS})
  endforeach()
  if(TK_RESOURCE_LOCK)
    set_tests_properties(${TK_UNPARSED_ARGUMENTS} PROPERTIES RESOURCE_LOCK "${TK_RESOURCE_LOCK}")
  endif()
endfunction()
