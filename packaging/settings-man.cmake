# The man page of the files a user edits (tessar.5), with the settings fields
# as tessar-settings lists them ("tessar-settings fields [--client]").
#
#   cmake -DTOOL=bin/tessar-settings -DTEMPLATE=tessar.5.in -DVERSION=2.1.0
#         -DOUTPUT=man/tessar.5 -P settings-man.cmake

# "  name[0..8]    values" opens a field; the deeper lines are its meaning.
function(fields_roff client out)
  set(args fields)
  if(client)
    list(APPEND args --client)
  endif()
  execute_process(COMMAND ${TOOL} ${args} OUTPUT_VARIABLE text RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${TOOL} ${args} failed")
  endif()
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REPLACE ";" "\\;" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(roff "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^  ([^ ]+) +(.+)$")
      string(APPEND roff ".TP\n.BR \"${CMAKE_MATCH_1}\" \" \\(em ${CMAKE_MATCH_2}\"\n")
    elseif(line MATCHES "^      +(.+)$")
      set(words "${CMAKE_MATCH_1}")
      # a line of the meaning that starts with a dot or a quote is text
      if(words MATCHES "^[.']")
        set(words "\\&${words}")
      endif()
      string(APPEND roff "${words}\n")
    endif()
  endforeach()
  set(${out} "${roff}" PARENT_SCOPE)
endfunction()

fields_roff(FALSE BOARD_FIELDS)
fields_roff(TRUE CLIENT_FIELDS)
string(TIMESTAMP DATE "%B %Y" UTC)
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
