# Plays a pilot script of tools/pilot through a whole run and checks what the run leaves.
#   PILOT      the script; SLIDERS: its slider positions, one per problem: 100,700,400
#   RESULTS    the name of the results file it writes; LINES: the number of lines it must have
#   FOLDER     a scratch folder, emptied first
#   PYTHON     (optional) runs tools/pilot/check-results.py over the results and the run log
# Either
#   RUNNER     tovask-script, run with --program-dir FOLDER on a copy of DATA (a data folder);
#              EMULATOR (optional) runs a cross-built one
# or
#   INSTALL    a build folder, installed with `cmake --install` into FOLDER; the installed
#              tovask-script and tovask-check then run, as a user would start them, from
#              FOLDER/bin without --program-dir, on the data folder installed beside them, and
#              the installed copies of the pilot script and of check-results.py are used.
function(run what)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output
                    ERROR_VARIABLE errors)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${what} failed (${status}):\n${ARGN}\n${output}${errors}")
    endif()
endfunction()

file(REMOVE_RECURSE ${FOLDER})
if(DEFINED INSTALL)
    run("cmake --install" ${CMAKE_COMMAND} --install ${INSTALL} --prefix ${FOLDER})
    # The link in bin/ leads to the program folder, which holds data/.
    file(REAL_PATH ${FOLDER}/bin/tovask-script program)
    get_filename_component(program_dir ${program} DIRECTORY)
    run("the installed tovask-check" ${FOLDER}/bin/tovask-check)
    # The menu entry starts the installed window program.
    if(EXISTS ${FOLDER}/bin/tovask)
        file(STRINGS ${FOLDER}/share/applications/tovask.desktop exec REGEX "^Exec=")
        if(NOT exec STREQUAL "Exec=\"${program_dir}/tovask\"")
            message(FATAL_ERROR "the menu entry has ${exec}, not ${program_dir}/tovask")
        endif()
    endif()
    get_filename_component(script ${PILOT} NAME)
    set(pilot_dir ${FOLDER}/share/tovask/pilot)
    run("the installed tovask-script" ${FOLDER}/bin/tovask-script ${pilot_dir}/${script})
else()
    set(program_dir ${FOLDER})
    get_filename_component(pilot_dir ${CMAKE_CURRENT_LIST_DIR}/../../tools/pilot ABSOLUTE)
    file(COPY ${DATA}/ DESTINATION ${FOLDER}/data PATTERN "out*" EXCLUDE PATTERN "*.log" EXCLUDE)
    run("tovask-script" ${EMULATOR} ${RUNNER} --program-dir ${FOLDER} ${PILOT})
endif()

set(results ${program_dir}/data/${RESULTS})
if(NOT EXISTS ${results})
    message(FATAL_ERROR "the run wrote no ${results}")
endif()
file(STRINGS ${results} lines)
list(LENGTH lines count)
if(NOT count EQUAL LINES)
    message(FATAL_ERROR "${results} has ${count} lines, not ${LINES}")
endif()

if(DEFINED PYTHON)
    run("check-results.py" ${PYTHON} ${pilot_dir}/check-results.py ${results} --slider ${SLIDERS})
endif()
