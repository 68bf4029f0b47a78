# A save that is a symbolic link, made on the host since wine's own links are not real: saving
# under wine replaces the file it points at, with CR LF line ends, and the link stays.
#   RPG, EMULATOR, WORK as for the transcripts.
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/saves)
file(WRITE ${WORK}/Intro.txt "")
file(WRITE ${WORK}/saves/hero.txt "200\n20\n0\n20\n200\n50\n200\n50\n20\nIvan\n0\n1\n")
file(CREATE_LINK saves/hero.txt ${WORK}/chartype1.txt SYMBOLIC)
file(WRITE ${WORK}/stdin "t\na\ny\ns\np\n")

execute_process(COMMAND ${EMULATOR} ${RPG} WORKING_DIRECTORY ${WORK} INPUT_FILE ${WORK}/stdin OUTPUT_QUIET
  RESULT_VARIABLE status)
# Compared in hexadecimal: a plain read of text would not keep the carriage returns.
file(READ ${WORK}/saves/hero.txt saved HEX)
string(HEX "200\r\n25\r\n0\r\n20\r\n100\r\n50\r\n200\r\n50\r\n20\r\nIvan\r\n0\r\n1\r\n" expected)
if(NOT status STREQUAL "0" OR NOT IS_SYMLINK ${WORK}/chartype1.txt OR NOT saved STREQUAL expected)
  message(FATAL_ERROR "exit status ${status}; the save was not written through its link: ${saved}")
endif()
