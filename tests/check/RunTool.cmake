# Runs a command-line tool and checks its exit status and what it prints.
#   COMMAND            the tool
#   EMULATOR           what runs a cross-built tool (optional)
#   ARGUMENTS          its arguments, separated by '|'
#   WORKING_DIRECTORY  where it runs
#   STATUS             the exit status it must end with
#   EXPECTED           a file whose text standard output must equal (without it: no output)
#   STDERR             a regular expression that standard error must match (optional)
string(REPLACE "|" ";" arguments "${ARGUMENTS}")
execute_process(COMMAND ${EMULATOR} ${COMMAND} ${arguments}
                WORKING_DIRECTORY ${WORKING_DIRECTORY}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
# On Windows the console's lines end in CR LF, paths are written with backslashes, and the system
# words a missing file its own way.
if(EMULATOR)
    string(REPLACE "\r\n" "\n" output "${output}")
    string(REPLACE "\\" "/" output "${output}")
    string(REPLACE ": File not found" ": No such file or directory" output "${output}")
endif()
set(expected "")
if(DEFINED EXPECTED)
    file(READ ${EXPECTED} expected)
endif()
set(faults "")
if(NOT status STREQUAL STATUS)
    string(APPEND faults "exit status ${status}, not ${STATUS}\n")
endif()
if(NOT output STREQUAL expected)
    string(APPEND faults "standard output:\n${output}--- instead of:\n${expected}---\n")
endif()
if(DEFINED STDERR AND NOT errors MATCHES "${STDERR}")
    string(APPEND faults "standard error does not match \"${STDERR}\":\n${errors}")
endif()
if(faults)
    message(FATAL_ERROR "${COMMAND} ${arguments}\n${faults}")
endif()
