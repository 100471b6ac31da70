# Runs the game headless on the null device with the race input and checks its run trace: the
# road from start-up into the race, then the whole field of six finishing downstream, each once,
# in another order than they started, the first home in first place, with the race clock running
# on. A normal exit. A fixed-step run repeats exactly, so the finishes do.
include(${CMAKE_CURRENT_LIST_DIR}/game_trace.cmake)
set(trace "${WORK_DIR}/race_to_finish_trace.txt")
tk_run_game("${trace}" "${INPUT}" 42000 TK_D3D9_DEVICE=null)
tk_read_trace("${trace}")
tk_expect_states(InitState LoadingScreenState Loading1State NorvaleSplashState MenuState CharSelState
                 StartTrack1State RacingState)
tk_expect_finishes(6)
