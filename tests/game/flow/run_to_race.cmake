# Runs the game headless with the menu-to-race input and checks its run trace: every state of
# the road from start-up to racing and back to the menu through the race reset, in order, and a
# normal exit. The frames around the two loadings, at start-up and after the in-game Exit (its
# click lets go at frame 872), and around the start grid, entered by OK's release at frame 482,
# are saved and checked by loading_frames.py: each loading state, and the grid's first frame, draws
# the loading picture, and the frame after it shows the next state whole.
include(${CMAKE_CURRENT_LIST_DIR}/game_trace.cmake)
set(trace "${WORK_DIR}/menu_to_race_trace.txt")
set(frames 1 2 3 13 482 483 493 872 873 874 884)
set(shots "${WORK_DIR}/menu_to_race_frames")
file(REMOVE_RECURSE "${shots}")
file(MAKE_DIRECTORY "${shots}")
foreach(frame IN LISTS frames)
  file(REMOVE "${RUN_DIR}/tk_frame_${frame}.png")
endforeach()
string(REPLACE ";" "," frame_list "${frames}")
tk_run_game("${trace}" "${INPUT}" 1000 TK_SCREENSHOT_FRAMES=${frame_list})
foreach(frame IN LISTS frames)
  if(EXISTS "${RUN_DIR}/tk_frame_${frame}.png")
    file(RENAME "${RUN_DIR}/tk_frame_${frame}.png" "${shots}/tk_frame_${frame}.png")
  endif()
endforeach()
tk_read_trace("${trace}")
tk_expect_states(InitState LoadingScreenState Loading1State NorvaleSplashState MenuState CharSelState
                 StartTrack1State RacingState LoadingScreenState Loading1State MenuState)
execute_process(COMMAND ${PYTHON} ${CMAKE_CURRENT_LIST_DIR}/loading_frames.py --trace ${trace} --shots ${shots}
                        --picture ${RUN_DIR}/../../../../data/arts/textures/hud/loading_screen.png
                RESULT_VARIABLE probed OUTPUT_VARIABLE said ERROR_VARIABLE said)
message(STATUS "${said}")
if(NOT probed EQUAL 0)
  message(FATAL_ERROR "the frames around the loadings are wrong:\n${said}")
endif()
