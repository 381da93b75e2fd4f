# Plays one scenario with tovask-script in a fresh program folder and checks the outcome.
#   cmake -DRUNNER=<tovask-script> -DDATA=<data folder to copy> -DWORK=<folder, emptied first>
#         -DSCRIPT=<script> -DEXPECT=<expectations> [-DEMULATOR=<runs a cross-built runner>]
#         -P RunScenario.cmake
# The expectations, one a line (blank lines and lines starting with # are skipped):
#   exit N             the exit status is N
#   dumps N            standard output holds N dumps
#   stderr TEXT        standard error contains TEXT
#   results NAME FILE  data/NAME is byte for byte FILE (a path beside the expectations)
#   N TEXT             dump N contains TEXT
# Texts are compared literally; lines are split by hand so a ';' in them stays a character.
cmake_minimum_required(VERSION 3.25)

foreach(input RUNNER DATA WORK SCRIPT EXPECT)
    if(NOT DEFINED ${input})
        message(FATAL_ERROR "RunScenario.cmake needs -D${input}=...")
    endif()
endforeach()

file(REMOVE_RECURSE "${WORK}")
file(COPY "${DATA}/" DESTINATION "${WORK}/data" PATTERN "out*" EXCLUDE PATTERN "*.log" EXCLUDE)
execute_process(COMMAND ${EMULATOR} "${RUNNER}" --program-dir "${WORK}" "${SCRIPT}"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
# Kept for a look after a failure.
file(WRITE "${WORK}/stdout.jsonl" "${out}")
file(WRITE "${WORK}/stderr.txt" "${err}")

# Takes the first line off the text held in the variable named text_var.
function(pop_line text_var line_var)
    string(FIND "${${text_var}}" "\n" at)
    if(at EQUAL -1)
        set(${line_var} "${${text_var}}" PARENT_SCOPE)
        set(${text_var} "" PARENT_SCOPE)
    else()
        string(SUBSTRING "${${text_var}}" 0 ${at} line)
        math(EXPR after "${at} + 1")
        string(SUBSTRING "${${text_var}}" ${after} -1 rest)
        string(REGEX REPLACE "\r$" "" line "${line}")
        set(${line_var} "${line}" PARENT_SCOPE)
        set(${text_var} "${rest}" PARENT_SCOPE)
    endif()
endfunction()

set(dump_count 0)
set(rest "${out}")
while(NOT rest STREQUAL "")
    pop_line(rest line)
    math(EXPR dump_count "${dump_count} + 1")
    set(dump_${dump_count} "${line}")
endwhile()

set(failures "")
get_filename_component(expect_folder "${EXPECT}" DIRECTORY)
file(READ "${EXPECT}" expectations)
while(NOT expectations STREQUAL "")
    pop_line(expectations line)
    if(line STREQUAL "" OR line MATCHES "^#")
        continue()
    endif()
    string(REGEX MATCH "^([^ ]+) (.*)$" matched "${line}")
    if(NOT matched)
        message(FATAL_ERROR "cannot read the expectation \"${line}\"")
    endif()
    set(what "${CMAKE_MATCH_1}")
    set(text "${CMAKE_MATCH_2}")
    if(what STREQUAL "exit")
        if(NOT status STREQUAL text)
            string(APPEND failures "exit status ${status}, expected ${text}\n")
        endif()
    elseif(what STREQUAL "dumps")
        if(NOT dump_count EQUAL text)
            string(APPEND failures "${dump_count} dumps, expected ${text}\n")
        endif()
    elseif(what STREQUAL "stderr")
        string(FIND "${err}" "${text}" at)
        if(at EQUAL -1)
            string(APPEND failures "standard error lacks: ${text}\n")
        endif()
    elseif(what STREQUAL "results")
        string(REGEX MATCH "^([^ ]+) (.+)$" matched "${text}")
        set(actual "${WORK}/data/${CMAKE_MATCH_1}")
        set(expected "${expect_folder}/${CMAKE_MATCH_2}")
        execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${actual}" "${expected}"
                        RESULT_VARIABLE differs)
        if(differs)
            string(APPEND failures "${actual} differs from ${expected}\n")
        endif()
    elseif(what MATCHES "^[0-9]+$")
        if(what GREATER dump_count)
            string(APPEND failures "no dump ${what}, expected one containing: ${text}\n")
        else()
            string(FIND "${dump_${what}}" "${text}" at)
            if(at EQUAL -1)
                string(APPEND failures "dump ${what} lacks: ${text}\n")
            endif()
        endif()
    else()
        message(FATAL_ERROR "unknown expectation \"${line}\"")
    endif()
endwhile()

if(NOT failures STREQUAL "")
    message(FATAL_ERROR "scenario ${SCRIPT} (output in ${WORK}):\n${failures}")
endif()
