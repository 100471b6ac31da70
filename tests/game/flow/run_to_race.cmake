# Runs the game headless with the menu-to-race input and checks its run trace: every state of
# the road from start-up to racing and back to the menu through the race reset, in order, and a
# normal exit.
include(${CMAKE_CURRENT_LIST_DIR}/game_trace.cmake)
set(trace "${WORK_DIR}/menu_to_race_trace.txt")
tk_run_game("${trace}" "${INPUT}" 1000)
tk_read_trace("${trace}")
tk_expect_states(InitState LoadingScreenState Loading1State NorvaleSplashState MenuState CharSelState
                 StartTrack1State RacingState LoadingScreenState Loading1State MenuState)
