# Runs the game headless with the menu-to-race input and checks its run trace: every state of
# the road from start-up to racing and back to the menu through the race reset, in order, and a
# normal exit. The frames around the two loadings, at start-up and after the in-game Exit (its
# click lets go at the input's last mouse_up), and around the start grid, entered by OK's release
# (the mouse_up before it), are saved and checked by loading_frames.py: each loading state, and the
# grid's first frame, draws the loading picture, and the frame after it shows the next state whole.
# With FRAME_STEP k a frame stands for k of the input's sixtieths of a second (TK_FIXED_DT k / 60):
# the same road in fewer frames, each drawn whole by the renderer, which is what the run spends.
include(${CMAKE_CURRENT_LIST_DIR}/game_trace.cmake)
set(trace "${WORK_DIR}/menu_to_race_trace.txt")
if(NOT DEFINED FRAME_STEP)
  set(FRAME_STEP 1)
elseif(FRAME_STEP LESS 1 OR FRAME_STEP GREATER 6)
  message(FATAL_ERROR "FRAME_STEP ${FRAME_STEP}: from 1 to 6 sixtieths of a second")
endif()
math(EXPR FIXED_DT_MICRO "16666 * ${FRAME_STEP}")
set(FIXED_DT "0.0${FIXED_DT_MICRO}")
set(input "${WORK_DIR}/menu_to_race_input_step${FRAME_STEP}.txt")
execute_process(COMMAND ${PYTHON} ${CMAKE_CURRENT_LIST_DIR}/scale_input.py ${INPUT} ${input} ${FRAME_STEP}
                RESULT_VARIABLE scaled)
if(NOT scaled EQUAL 0)
  message(FATAL_ERROR "the input could not be scaled to a step of ${FRAME_STEP} frames")
endif()
# The in-game Exit lets go at the input's last mouse_up: that frame enters the loading. OK lets go
# at the one before: that frame enters the start grid.
file(STRINGS "${input}" releases REGEX "^[0-9]+ mouse_up ")
list(GET releases -1 exit)
string(REGEX REPLACE " .*" "" exit "${exit}")
list(GET releases -2 ok)
string(REGEX REPLACE " .*" "" ok "${ok}")
# The frame after a loading is compared with the same state's a sixth of a second later.
math(EXPR later "10 / ${FRAME_STEP}")
math(EXPR exit_loading "${exit} + 1")
math(EXPR exit_menu "${exit} + 2")
math(EXPR exit_later "${exit_menu} + ${later}")
math(EXPR start_later "3 + ${later}")
math(EXPR grid "${ok} + 1")
math(EXPR grid_later "${grid} + ${later}")
set(frames 1 2 3 ${start_later} ${ok} ${grid} ${grid_later} ${exit} ${exit_loading} ${exit_menu} ${exit_later})
math(EXPR limit "1000 / ${FRAME_STEP}")
set(shots "${WORK_DIR}/menu_to_race_frames")
file(REMOVE_RECURSE "${shots}")
file(MAKE_DIRECTORY "${shots}")
foreach(frame IN LISTS frames)
  file(REMOVE "${RUN_DIR}/tk_frame_${frame}.png")
endforeach()
string(REPLACE ";" "," frame_list "${frames}")
tk_run_game("${trace}" "${input}" ${limit} TK_SCREENSHOT_FRAMES=${frame_list})
foreach(frame IN LISTS frames)
  if(EXISTS "${RUN_DIR}/tk_frame_${frame}.png")
    file(RENAME "${RUN_DIR}/tk_frame_${frame}.png" "${shots}/tk_frame_${frame}.png")
  endif()
endforeach()
tk_read_trace("${trace}")
tk_expect_states(InitState LoadingScreenState Loading1State NorvaleSplashState MenuState CharSelState
                 StartTrack1State RacingState LoadingScreenState Loading1State MenuState)
execute_process(COMMAND ${PYTHON} ${CMAKE_CURRENT_LIST_DIR}/loading_frames.py --trace ${trace} --shots ${shots} --later ${later}
                        --picture ${RUN_DIR}/../../../../data/arts/textures/hud/loading_screen.png
                RESULT_VARIABLE probed OUTPUT_VARIABLE said ERROR_VARIABLE said)
message(STATUS "${said}")
if(NOT probed EQUAL 0)
  message(FATAL_ERROR "the frames around the loadings are wrong:\n${said}")
endif()
