# ManualPage: writes a program's manual page with help2man, adding a COMMANDS section made from each command's
# own help (`PROGRAM help COMMAND`), which help2man alone does not read.
# cmake -DHELP2MAN=... -DPROGRAM=... -DINCLUDE=... -DOUTPUT=... -P ManualPage.cmake
cmake_minimum_required(VERSION 3.25)

# A text as roff shows it literally: backslashes and hyphens escaped, no line read as a request.
function(roff_text text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "^([.'])" "\\\\&\\1" text "${text}")
  string(REPLACE "<semicolon>" ";" text "${text}")
  string(REPLACE "<open>" "[" text "${text}")
  string(REPLACE "<close>" "]" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCH "\nSubcommands:\n(.*)" listing "${help}")
string(REGEX MATCHALL "\n  [a-z-]+ " commands "\n${CMAKE_MATCH_1}")

set(section "")
foreach(command IN LISTS commands)
  string(STRIP "${command}" command)
  if(command STREQUAL "help")
    continue()
  endif()
  execute_process(COMMAND ${PROGRAM} help ${command} OUTPUT_VARIABLE usage COMMAND_ERROR_IS_FATAL ANY)
  # One list item a line: a semicolon or square bracket of the text would split or join items, so they wait as
  # placeholders that roff_text restores.
  string(REPLACE ";" "<semicolon>" usage "${usage}")
  string(REPLACE "[" "<open>" usage "${usage}")
  string(REPLACE "]" "<close>" usage "${usage}")
  string(REPLACE "\n" ";" lines "${usage}")
  list(GET lines 0 summary)
  roff_text("${summary}" summary)
  string(APPEND section ".SS ${command}\n${summary}\n")
  # CLI11 lists an option as "  NAMES   DESCRIPTION", or NAMES alone with its description on the next line.
  foreach(line IN LISTS lines)
    if(line MATCHES "^  (-h,--help)")
      continue()
    elseif(line MATCHES "^  ([^ ].*[^ ])  +([^ ].*)$")
      roff_text("${CMAKE_MATCH_1}" names)
      roff_text("${CMAKE_MATCH_2}" text)
      string(APPEND section ".TP\n\\fB${names}\\fR\n${text}\n")
    elseif(line MATCHES "^  ([^ ].*)$")
      roff_text("${CMAKE_MATCH_1}" names)
      string(APPEND section ".TP\n\\fB${names}\\fR\n")
    elseif(line MATCHES "^   +([^ ].*)$")
      roff_text("${CMAKE_MATCH_1}" text)
      string(APPEND section "${text}\n")
    endif()
  endforeach()
endforeach()

file(READ ${INCLUDE} include)
if(section)
  string(APPEND include "\n[commands]\n${section}")
endif()
file(WRITE ${OUTPUT}.h2m "${include}")
execute_process(COMMAND ${HELP2MAN} --no-info --no-discard-stderr --section 1 --include ${OUTPUT}.h2m --output ${OUTPUT}
                        ${PROGRAM}
                COMMAND_ERROR_IS_FATAL ANY)
