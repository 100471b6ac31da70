# The whole-game checks' shared part: run the game headless on an input file and read the run
# trace it writes. Expects GAME (the program) and RUN_DIR (where it runs) to be set.

# tk_run_game(<trace> <input> <frames> [VAR=value...]): the game at a fixed step of 1/60 s (or
# FIXED_DT) for that many frames, with any further environment given; fails unless it exits
# normally.
function(tk_run_game trace input frames)
  if(NOT DEFINED FIXED_DT)
    set(FIXED_DT 0.016666)
  endif()
  file(REMOVE "${trace}")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null TK_FRAME_LIMIT=${frames}
            TK_FIXED_DT=${FIXED_DT} TK_TRACE=${trace} TK_INPUT_FILE=${input} ${ARGN} ${GAME}
    WORKING_DIRECTORY "${RUN_DIR}"
    RESULT_VARIABLE result
    OUTPUT_QUIET ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    string(LENGTH "${errors}" length)
    if(length GREATER 4000)
      math(EXPR from "${length} - 4000")
      string(SUBSTRING "${errors}" ${from} -1 errors)
    endif()
    message(FATAL_ERROR "the game exited with ${result}; the end of its standard error:\n${errors}")
  endif()
endfunction()

# tk_read_trace(<trace>): sets, in the caller, trace_lines (every line), trace_states (the states
# entered, in order), and for each finish in order trace_racers, trace_places, trace_times and
# trace_finish_states (how many states had been entered by then).
function(tk_read_trace trace)
  file(STRINGS "${trace}" lines)
  set(states "")
  set(racers "")
  set(places "")
  set(times "")
  set(finish_states "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[0-9]+ state (.+)$")
      list(APPEND states "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^[0-9]+ finish ([0-9]+) ([0-9]+) ([0-9.]+)$")
      list(APPEND racers "${CMAKE_MATCH_1}")
      list(APPEND places "${CMAKE_MATCH_2}")
      list(APPEND times "${CMAKE_MATCH_3}")
      list(LENGTH states entered)
      list(APPEND finish_states ${entered})
    endif()
  endforeach()
  string(REPLACE ";" "\n" text "${lines}")
  set(trace_lines "${text}" PARENT_SCOPE)
  set(trace_states "${states}" PARENT_SCOPE)
  set(trace_racers "${racers}" PARENT_SCOPE)
  set(trace_places "${places}" PARENT_SCOPE)
  set(trace_times "${times}" PARENT_SCOPE)
  set(trace_finish_states "${finish_states}" PARENT_SCOPE)
endfunction()

# tk_expect_states(<state>...): the states read are exactly these, in this order.
function(tk_expect_states)
  if(NOT trace_states STREQUAL ARGN)
    message(FATAL_ERROR "states entered: ${trace_states}; expected: ${ARGN}")
  endif()
endfunction()

# tk_expect_finishes(<least>): at least that many racers finished, each once, each with a place
# from 1 to 6 and a time, the first home in first place, the times never running backwards, and
# not in their grid order (the racers are made in grid order, the player's first: arriving so
# would mean the ranking never changed on the way down).
function(tk_expect_finishes least)
  list(LENGTH trace_racers finished)
  if(finished LESS least)
    message(FATAL_ERROR "${finished} racers finished, fewer than ${least}:\n${trace_lines}")
  endif()
  set(distinct "${trace_racers}")
  list(REMOVE_DUPLICATES distinct)
  list(LENGTH distinct count)
  if(NOT count EQUAL finished)
    message(FATAL_ERROR "a racer finished twice:\n${trace_lines}")
  endif()
  set(grid_order "${trace_racers}")
  list(SORT grid_order COMPARE NATURAL)
  if(trace_racers STREQUAL grid_order)
    message(FATAL_ERROR "the racers arrived in their grid order:\n${trace_lines}")
  endif()
  list(GET trace_places 0 first)
  if(NOT first EQUAL 1)
    message(FATAL_ERROR "the first racer home is in place ${first}:\n${trace_lines}")
  endif()
  foreach(place IN LISTS trace_places)
    if(place LESS 1 OR place GREATER 6)
      message(FATAL_ERROR "a place outside 1 to 6: ${trace_places}")
    endif()
  endforeach()
  set(last 0)
  foreach(time IN LISTS trace_times)
    if(time LESS last)
      message(FATAL_ERROR "finish times run backwards:\n${trace_lines}")
    endif()
    set(last "${time}")
  endforeach()
endfunction()
