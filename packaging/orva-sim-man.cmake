# The man page of orva-sim: help2man's page from its --help, with the device
# faults of every --fault option as tables of their own (section FAULTS) in
# place of the columns of the help text.
#
#   cmake -DPROGRAM=bin/orva-sim -DHELP2MAN=help2man -DVERSION=2.1.0
#         -DSUMMARY=... -DOUTPUT=man/orva-sim.1 -P orva-sim-man.cmake
#
# In the help text a --fault option's lines hold a fault's name at column 24
# and what it does from column 37; deeper lines continue the description,
# other text (a note) stays a note.

execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed")
endif()
get_filename_component(work ${OUTPUT} DIRECTORY)
set(work ${work}/orva-sim-man)
file(MAKE_DIRECTORY ${work})

function(roff_escape text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

string(REPLACE ";" "\\;" help "${help}")
string(REPLACE "\n" ";" lines "${help}")
set(options_help "")
set(faults "")
set(in_block FALSE)
set(row_open FALSE)    # a row whose description may go on: closed by "T}"
set(table_open FALSE)
foreach(line IN LISTS lines)
  string(REGEX MATCH "^  --fault ([^ ]+)" fault_option "${line}")
  if(fault_option)
    set(in_block TRUE)
  elseif(in_block AND NOT line MATCHES "^                        ")
    set(in_block FALSE)
  endif()
  if(fault_option OR NOT in_block)
    if(row_open)
      string(APPEND faults "T}\n")
      set(row_open FALSE)
    endif()
    if(table_open)
      string(APPEND faults ".TE\n")
      set(table_open FALSE)
    endif()
  endif()
  if(NOT in_block)
    string(APPEND options_help "${line}\n")
    continue()
  endif()
  if(fault_option)
    roff_escape("${CMAKE_MATCH_1}" fault_form)
    string(APPEND faults ".TP\n.B \\-\\-fault ${fault_form}\n")
    string(APPEND options_help "  --fault ${CMAKE_MATCH_1}    a device fault, see FAULTS\n")
  endif()
  string(LENGTH "${line}" length)
  set(name "")
  set(text "")
  set(head "")
  if(length GREATER 24)
    string(SUBSTRING "${line}" 24 13 head)
    if(head MATCHES "^([a-z][a-z-]*) *$" AND length GREATER 37)
      set(name "${CMAKE_MATCH_1}")
      string(SUBSTRING "${line}" 37 -1 text)
    else()
      string(SUBSTRING "${line}" 24 -1 text)
    endif()
  endif()
  string(STRIP "${text}" text)
  roff_escape("${text}" text)
  if(name)
    roff_escape("${name}" name)
    if(row_open)
      string(APPEND faults "T}\n")
    endif()
    if(NOT table_open)
      string(APPEND faults ".TS\nallbox tab(@);\nlb lb\nl lx.\nfault@what the device does\n")
      set(table_open TRUE)
    endif()
    string(APPEND faults "\\fB${name}\\fP@T{\n${text}\n")
    set(row_open TRUE)
  elseif(text STREQUAL "")
  elseif(row_open AND head MATCHES "^ +$")
    string(APPEND faults "${text}\n")  # the description goes on
  elseif(table_open)
    # a note on the rows above it: a row across the table
    string(APPEND faults "T}\n.T&\nl s.\n\\fI${text}\\fP\n.T&\nl lx.\n")
    set(row_open FALSE)
  else()
    string(APPEND faults "${text}\n")
  endif()
endforeach()
if(row_open)
  string(APPEND faults "T}\n")
endif()
if(table_open)
  string(APPEND faults ".TE\n")
endif()

# help2man runs a stand-in whose --help is the help without the fault columns
file(WRITE ${work}/help.txt "${options_help}")
file(WRITE ${work}/orva-sim
     "#!/bin/sh\nif [ \"$1\" = --help ]; then cat '${work}/help.txt'; else exec '${PROGRAM}' \"$@\"; fi\n")
file(CHMOD ${work}/orva-sim PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
     WORLD_READ WORLD_EXECUTE)
file(WRITE ${work}/faults.h2m "[FAULTS]\n${faults}")
execute_process(COMMAND ${HELP2MAN} --no-info --no-discard-stderr --version-string=${VERSION}
                        --name=${SUMMARY} --include=${work}/faults.h2m --output=${work}/page.1
                        ${work}/orva-sim
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "help2man failed for orva-sim")
endif()
# the tables need tbl: the first line says so
file(READ ${work}/page.1 page)
file(WRITE ${OUTPUT} "'\\\" t\n${page}")
