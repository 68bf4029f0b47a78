# Plays one transcript case through the real binary in a fresh folder.
#   CASE-stdin   standard input (required)
#   CASE-stdout  the exact expected standard output (required)
#   CASE-intro   Intro.txt for the game (default: Intro.txt beside this script)
#   CASE-nointro present: the game runs with no Intro.txt at all
#   CASE-save    chartype1.txt present before the game starts
#   CASE-saved   chartype1.txt expected after the game; without it the folder must end as it began
# Options:
#   EMULATOR     what runs the binary in a cross build (wine for Windows); empty for a native one
#   CRLF         on: text ends lines with CR LF on this system, so every LF of CASE-stdout and
#                CASE-saved is expected as CR LF
#   TEXT_INPUT   on: standard input gets CR LF line ends, then a Ctrl+Z that must end it, then
#                keys that must go unread; the game must play exactly as with CASE-stdin
cmake_minimum_required(VERSION 3.25)

set(prefix ${CASE_DIR}/${CASE})
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

# Copies `file` into the work folder as `name`, with CR LF line ends, and sets `variable` to it.
function(with_crlf variable file name)
  file(READ ${file} text)
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${WORK}/${name} "${text}")
  set(${variable} ${WORK}/${name} PARENT_SCOPE)
endfunction()

set(input ${prefix}-stdin)
if(TEXT_INPUT)
  with_crlf(input ${prefix}-stdin text-stdin)
  string(ASCII 26 ctrl_z)
  file(APPEND ${input} "${ctrl_z}y\r\ns\r\nw\r\nIvan\r\ns\r\np\r\n")
endif()
set(expected_stdout ${prefix}-stdout)
set(expected_save ${prefix}-saved)
if(CRLF)
  with_crlf(expected_stdout ${prefix}-stdout expected-stdout)
  if(EXISTS ${prefix}-saved)
    with_crlf(expected_save ${prefix}-saved expected-saved)
  endif()
endif()

if(EXISTS ${prefix}-intro)
  file(COPY_FILE ${prefix}-intro ${WORK}/Intro.txt)
elseif(NOT EXISTS ${prefix}-nointro)
  file(COPY_FILE ${CASE_DIR}/Intro.txt ${WORK}/Intro.txt)
endif()
if(EXISTS ${prefix}-save)
  file(COPY_FILE ${prefix}-save ${WORK}/chartype1.txt)
endif()

execute_process(COMMAND ${EMULATOR} ${RPG}
  WORKING_DIRECTORY ${WORK}
  INPUT_FILE ${input}
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

compare_exactly(${expected_stdout} ${WORK}/stdout "standard output")

file(READ ${WORK}/stderr errors)
if(NOT errors STREQUAL "")
  list(APPEND failures "unexpected standard error: ${errors}")
endif()

if(EXISTS ${prefix}-saved)
  compare_exactly(${expected_save} ${WORK}/chartype1.txt "chartype1.txt")
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
