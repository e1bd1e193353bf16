# Writes SOURCE (UTF-8, LF) to OUTPUT in code page 949 with its lines separated by CR LF and no
# line end or terminator after the last one, as the agreement dialog shows it.
file(READ ${SOURCE} text)
string(REGEX REPLACE "\n$" "" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUTPUT}.utf8 "${text}")
execute_process(COMMAND iconv -f UTF-8 -t CP949 ${OUTPUT}.utf8
                OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE result)
file(REMOVE ${OUTPUT}.utf8)
if(NOT result EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "iconv could not write ${OUTPUT}")
endif()
