# Runs the game headless on the null device with the race input and checks its run trace: the
# road from start-up into the race, then the field finishing downstream (at least four of the
# six: a racer can still end up stranded), each once, in another order than they started, the
# first home in first place, with the race clock running on. A normal exit. A fixed-step run
# repeats exactly, so the finishes do.
set(trace "${WORK_DIR}/race_to_finish_trace.txt")
file(REMOVE "${trace}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null TK_D3D9_DEVICE=null
          TK_FRAME_LIMIT=39000 TK_FIXED_DT=0.016666 TK_TRACE=${trace} TK_INPUT_FILE=${INPUT} ${GAME}
  WORKING_DIRECTORY "${RUN_DIR}"
  RESULT_VARIABLE result
  OUTPUT_QUIET ERROR_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the game exited with ${result}")
endif()
file(STRINGS "${trace}" lines)
set(states "")
set(places "")
set(racers "")
set(last_time 0)
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9]+ state (.+)$")
    list(APPEND states "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^[0-9]+ finish ([0-9]+) ([0-9]+) ([0-9.]+)$")
    list(APPEND racers "${CMAKE_MATCH_1}")
    list(APPEND places "${CMAKE_MATCH_2}")
    if(CMAKE_MATCH_3 LESS last_time)
      message(FATAL_ERROR "finish times run backwards: ${lines}")
    endif()
    set(last_time "${CMAKE_MATCH_3}")
  endif()
endforeach()
set(expected InitState LoadingScreenState Loading1State NorvaleSplashState MenuState CharSelState
             StartTrack1State RacingState)
if(NOT states STREQUAL expected)
  message(FATAL_ERROR "states entered: ${states}; expected: ${expected}")
endif()
list(LENGTH racers finished)
if(finished LESS 4)
  message(FATAL_ERROR "${finished} racers finished, fewer than four: ${lines}")
endif()
set(arrivals "${racers}")
list(REMOVE_DUPLICATES racers)
list(LENGTH racers distinct)
if(NOT distinct EQUAL finished)
  message(FATAL_ERROR "a racer finished twice: ${lines}")
endif()
# The racers are made in grid order, the player's first; arriving in that order would mean the
# ranking never changed on the way down.
set(grid_order "${arrivals}")
list(SORT grid_order COMPARE NATURAL)
if(arrivals STREQUAL grid_order)
  message(FATAL_ERROR "the racers arrived in their grid order: ${lines}")
endif()
list(GET places 0 first)
if(NOT first EQUAL 1)
  message(FATAL_ERROR "the first racer home is in place ${first}: ${lines}")
endif()
foreach(got IN LISTS places)
  if(got LESS 1 OR got GREATER 6)
    message(FATAL_ERROR "a place outside 1 to 6: ${places}")
  endif()
endforeach()
