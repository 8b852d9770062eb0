# Joins the games' catalogue entries into one game.tsc. Each entry is four
# lines; a missing final line feed would glue two entries together, so one is
# added where needed.
# Usage: cmake -DOUTPUT=<file> -DINPUTS=<a|b|...> -P merge_game_catalog.cmake
string(REPLACE "|" ";" INPUTS "${INPUTS}")
list(SORT INPUTS)
set(catalog "")
foreach(entry IN LISTS INPUTS)
  file(READ "${entry}" text)
  string(REGEX REPLACE "\r\n" "\n" text "${text}")
  if(NOT text MATCHES "\n$")
    string(APPEND text "\n")
  endif()
  string(APPEND catalog "${text}")
endforeach()
file(WRITE "${OUTPUT}" "${catalog}")
