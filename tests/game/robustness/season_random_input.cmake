# The monkey's season with seeded random keys, clicks, wheel turns and text mixed into its race
# (from frame FIRST to LAST): the game must run to its frame limit and exit normally (under the
# sanitizers: with nothing reported). Random pointer moves would leave the scripted clicks of the
# menus off target, so the menus before the race stay clean, and after the random part the
# pointer goes back to where the script left it. Expects GAME, RUN_DIR, WORK_DIR, INPUT, MIXER
# (random_input.py), PYTHON, FRAMES, FIRST, LAST, ANCHOR ("x y", the script's last pointer
# position before LAST) and SEED. With FRAME_STEP k and FIXED_DT k / 60 s, a game frame stands for k frames of the season
# input, whose frame numbers are divided by k to keep their times: fewer frames to check.
include(${CMAKE_CURRENT_LIST_DIR}/../flow/game_trace.cmake)
if(NOT DEFINED FRAME_STEP)
  set(FRAME_STEP 1)
endif()
math(EXPR frames "${FRAMES} / ${FRAME_STEP}")
math(EXPR first "${FIRST} / ${FRAME_STEP}")
math(EXPR last "${LAST} / ${FRAME_STEP}")
math(EXPR anchor_frame "${last} + 30")
file(STRINGS "${INPUT}" lines)
set(scaled "")
foreach(line IN LISTS lines)
  if(line MATCHES "^([0-9]+) (.*)$")
    math(EXPR frame "${CMAKE_MATCH_1} / ${FRAME_STEP}")
    string(APPEND scaled "${frame} ${CMAKE_MATCH_2}\n")
  endif()
endforeach()
set(base "${WORK_DIR}/season_random_base.txt")
set(input "${WORK_DIR}/season_random_input.txt")
string(APPEND scaled "${anchor_frame} mouse_move ${ANCHOR}\n")
file(WRITE "${base}" "${scaled}")
execute_process(COMMAND ${PYTHON} ${MIXER} ${base} ${input} --seed ${SEED} --count 3000 --first ${first} --last ${last} --width 1024
                        --height 768 RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the random input could not be made")
endif()
set(trace "${WORK_DIR}/season_random_trace.txt")
tk_run_game("${trace}" "${input}" ${frames} TK_D3D9_DEVICE=null)
tk_read_trace("${trace}")
message(STATUS "the game ran ${frames} frames and exited normally; its trace:\n${trace_lines}")
