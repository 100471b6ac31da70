# Runs the game headless on the null device with the race input and checks its run trace: the
# road from start-up into the race, then the whole field of six finishing downstream, each once,
# in another order than they started, the first home in first place, with the race clock running
# on, and the player's racer, paddled by an input that never looks where it goes, beaten by the
# computers. A normal exit. A fixed-step run repeats exactly, so the finishes do.
include(${CMAKE_CURRENT_LIST_DIR}/game_trace.cmake)
set(trace "${WORK_DIR}/race_to_finish_trace.txt")
tk_run_game("${trace}" "${INPUT}" 42000 TK_D3D9_DEVICE=null)
tk_read_trace("${trace}")
tk_expect_states(InitState LoadingScreenState Loading1State NorvaleSplashState MenuState CharSelState
                 StartTrack1State RacingState)
tk_expect_finishes(6)
# The player's racer is the first one made.
string(REGEX MATCH "[0-9]+ racer ([0-9]+) " made "${trace_lines}")
set(player "${CMAKE_MATCH_1}")
list(FIND trace_racers "${player}" home)
if(home LESS 0)
  message(FATAL_ERROR "the player's racer ${player} never finished:\n${trace_lines}")
endif()
list(GET trace_places ${home} place)
if(place LESS_EQUAL 3)
  message(FATAL_ERROR "the player's racer placed ${place} on an input that never looks ahead:\n${trace_lines}")
endif()
message(STATUS "the player's racer placed ${place}")
