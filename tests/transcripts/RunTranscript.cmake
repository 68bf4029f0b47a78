# Plays one transcript case through the real binary in a fresh folder.
#   CASE-stdin   standard input (required)
#   CASE-stdout  the exact expected standard output (required)
#   CASE-intro   Intro.txt for the game (default: Intro.txt beside this script)
#   CASE-nointro present: the game runs with no Intro.txt at all
#   CASE-save    chartype1.txt present before the game starts
#   CASE-saved   chartype1.txt expected after the game; without it the folder must end as it began
cmake_minimum_required(VERSION 3.25)

set(prefix ${CASE_DIR}/${CASE})
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

if(EXISTS ${prefix}-intro)
  file(COPY_FILE ${prefix}-intro ${WORK}/Intro.txt)
elseif(NOT EXISTS ${prefix}-nointro)
  file(COPY_FILE ${CASE_DIR}/Intro.txt ${WORK}/Intro.txt)
endif()
if(EXISTS ${prefix}-save)
  file(COPY_FILE ${prefix}-save ${WORK}/chartype1.txt)
endif()

execute_process(COMMAND ${RPG}
  WORKING_DIRECTORY ${WORK}
  INPUT_FILE ${prefix}-stdin
  OUTPUT_FILE ${WORK}/stdout
  ERROR_FILE ${WORK}/stderr
  RESULT_VARIABLE status)

set(failures "")
if(NOT status STREQUAL "0")
  list(APPEND failures "exit status ${status}, expected 0")
endif()

function(compare_exactly expected actual what)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${expected} ${actual} RESULT_VARIABLE different)
  if(different)
    execute_process(COMMAND diff -u --text ${expected} ${actual} OUTPUT_VARIABLE delta)
    set(failures ${failures} "${what} differs from ${expected}:\n${delta}" PARENT_SCOPE)
  endif()
endfunction()

compare_exactly(${prefix}-stdout ${WORK}/stdout "standard output")

file(READ ${WORK}/stderr errors)
if(NOT errors STREQUAL "")
  list(APPEND failures "unexpected standard error: ${errors}")
endif()

if(EXISTS ${prefix}-saved)
  compare_exactly(${prefix}-saved ${WORK}/chartype1.txt "chartype1.txt")
elseif(EXISTS ${prefix}-save)
  compare_exactly(${prefix}-save ${WORK}/chartype1.txt "chartype1.txt")
elseif(EXISTS ${WORK}/chartype1.txt)
  list(APPEND failures "chartype1.txt was written, but no save was expected")
endif()
file(GLOB leftovers ${WORK}/chartype1.txt.*)
if(leftovers)
  list(APPEND failures "a temporary save file was left behind: ${leftovers}")
endif()

if(failures)
  string(JOIN "\n" message ${failures})
  message(FATAL_ERROR "transcript ${CASE}:\n${message}")
endif()
