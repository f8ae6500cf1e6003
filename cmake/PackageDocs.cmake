# The Debian package's made documents, written when the package is built
# (install(SCRIPT) from Packaging.cmake, which sets QUAVREL_PROGRAM and
# QUAVREL_PACKAGE_DIR): the man page, which help2man makes from "quavrel
# --help" and "--version" with each command's own help as a section of its
# own, and both it and the changelog compressed as Debian wants them.
set(dir ${QUAVREL_PACKAGE_DIR})

execute_process(COMMAND ${QUAVREL_PROGRAM} --help OUTPUT_VARIABLE overview WORKING_DIRECTORY ${dir})
string(REGEX MATCHALL "\n  [a-z][a-z-]* " names "${overview}")
set(commands "[COMMANDS]\n")
foreach(name IN LISTS names)
  string(STRIP "${name}" name)
  execute_process(COMMAND ${QUAVREL_PROGRAM} help ${name} OUTPUT_VARIABLE help WORKING_DIRECTORY ${dir})
  # As roff text: backslashes printed, and no line taken for a request or,
  # by help2man, for a section name.
  string(REPLACE "\\" "\\e" help "${help}")
  string(REGEX REPLACE "(^|\n)([.'[])" "\\1\\\\&\\2" help "${help}")
  string(APPEND commands ".SS ${name}\n.nf\n${help}.fi\n")
endforeach()
file(WRITE ${dir}/commands.h2m "${commands}")

execute_process(COMMAND help2man --no-info --section=1
                        "--name=write ring melodies into a Siemens A50" --include=commands.h2m
                        --output=quavrel.1 ${QUAVREL_PROGRAM}
                WORKING_DIRECTORY ${dir} RESULT_VARIABLE made)
if(NOT made EQUAL 0)
  message(FATAL_ERROR "help2man could not make the man page from quavrel --help")
endif()
foreach(name quavrel.1 changelog)
  execute_process(COMMAND gzip -9nc ${name} OUTPUT_FILE ${dir}/${name}.gz WORKING_DIRECTORY ${dir})
endforeach()
