# Runs a single-player season headless with a character's season input and checks its run trace:
# start-up through the splash, the menu and the character selection into the first race, the
# whole field home during the race, each racer once with its own place and a time, then the
# results board's Next Race and the victory screen's Continue back through loading to the menu.
# A normal exit. Expects INPUT, WORK_DIR, FRAMES and NAME; FINISHERS (default 6) is how many
# racers must come home.
include(${CMAKE_CURRENT_LIST_DIR}/game_trace.cmake)
if(NOT DEFINED FINISHERS)
  set(FINISHERS 6)
endif()
set(trace "${WORK_DIR}/season_${NAME}_trace.txt")
tk_run_game("${trace}" "${INPUT}" ${FRAMES} TK_D3D9_DEVICE=null)
tk_read_trace("${trace}")
message(STATUS "trace of the season:\n${trace_lines}")
tk_expect_states(InitState LoadingScreenState Loading1State NorvaleSplashState MenuState CharSelState
                 StartTrack1State RacingState LoadingScreenState Loading1State MenuState)
tk_expect_finishes(${FINISHERS})
# Every finish falls inside the race: after RacingState (the eighth state), before the reset.
foreach(entered IN LISTS trace_finish_states)
  if(NOT entered EQUAL 8)
    message(FATAL_ERROR "a racer finished outside the race:\n${trace_lines}")
  endif()
endforeach()
# Each place is given once.
set(places "${trace_places}")
list(REMOVE_DUPLICATES places)
if(NOT places STREQUAL trace_places)
  message(FATAL_ERROR "two racers share a place:\n${trace_lines}")
endif()
foreach(time IN LISTS trace_times)
  if(NOT time GREATER 0)
    message(FATAL_ERROR "a finish without a race time:\n${trace_lines}")
  endif()
endforeach()
