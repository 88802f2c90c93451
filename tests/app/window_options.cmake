# The window refuses what it does not know, as the runner does: exit code 2 and the reason,
# before it opens any program folder.
file(REMOVE_RECURSE "${WORK}")
# Each case: the arguments separated by spaces, "|", the text the refusal must hold.
set(cases
  "--bogus|Unknown option 'bogus'"
  "--today 2026-13-01|--today needs a date YYYY-MM-DD, not '2026-13-01'"
  "--run NoSuchHandler|--run names no command: 'NoSuchHandler'"
  "stray|unexpected argument 'stray'")
foreach(case IN LISTS cases)
  string(FIND "${case}" "|" bar)
  string(SUBSTRING "${case}" 0 ${bar} args)
  math(EXPR from "${bar} + 1")
  string(SUBSTRING "${case}" ${from} -1 want)
  separate_arguments(parts UNIX_COMMAND "${args}")
  if(parts STREQUAL "")
    message(FATAL_ERROR "a case without arguments would open the window")
  endif()
  execute_process(COMMAND "${WINDOW}" -platform offscreen --home "${WORK}" ${parts}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
  if(NOT rc EQUAL 2)
    message(FATAL_ERROR "${parts}: exit ${rc}, not 2: ${out} ${err}")
  endif()
  string(FIND "${err}" "${want}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${parts}: no '${want}' in: ${err}")
  endif()
endforeach()
if(EXISTS "${WORK}")
  message(FATAL_ERROR "a refused start made the folder ${WORK}")
endif()
