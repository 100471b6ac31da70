# Runs the game headless with the menu-to-race input and checks its run trace: every state of
# the road from start-up to racing and back to the menu through the race reset, in order, and a
# normal exit.
set(trace "${WORK_DIR}/menu_to_race_trace.txt")
file(REMOVE "${trace}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null TK_FRAME_LIMIT=1000
          TK_FIXED_DT=0.016666 TK_TRACE=${trace} TK_INPUT_FILE=${INPUT} ${GAME}
  WORKING_DIRECTORY "${RUN_DIR}"
  RESULT_VARIABLE result
  OUTPUT_QUIET ERROR_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the game exited with ${result}")
endif()
file(STRINGS "${trace}" lines)
set(states "")
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9]+ state (.+)$")
    list(APPEND states "${CMAKE_MATCH_1}")
  endif()
endforeach()
set(expected InitState LoadingScreenState Loading1State NorvaleSplashState MenuState CharSelState
             StartTrack1State RacingState LoadingScreenState Loading1State MenuState)
if(NOT states STREQUAL expected)
  message(FATAL_ERROR "states entered: ${states}; expected: ${expected}")
endif()
