# Windows only: what the text mode of standard input does, a game in a folder whose path holds
# Cyrillic letters and a space, saves in a very deep folder, the program's resources, the
# durable replacement of a file, a save another program holds open, and one wine server shared by
# every test. Included last, from tests/CMakeLists.txt, since it wraps every test there.

target_sources(rpg_tests PRIVATE windows/WindowsFilesTest.cpp)
target_include_directories(rpg_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
# A save in a folder deeper than 260 characters, which rpg.exe's manifest allows.
target_sources(rpg_tests PRIVATE windows/LongPathTest.cpp)
# The console's own input and output, fed key events and read back in a console of the test's own.
target_sources(rpg_tests PRIVATE windows/ConsoleStreamsTest.cpp)

function(add_windows_transcript name case work)
  add_test(NAME windows.${name}.${case}
    COMMAND ${CMAKE_COMMAND}
      -DRPG=$<TARGET_FILE:rpg>
      "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}"
      -DCRLF=ON
      ${ARGN}
      -DCASE_DIR=${CMAKE_CURRENT_SOURCE_DIR}/transcripts
      -DCASE=${case}
      "-DWORK=${work}"
      -P ${CMAKE_CURRENT_SOURCE_DIR}/transcripts/RunTranscript.cmake)
endfunction()

# CR LF line ends and a Ctrl+Z ending the input, in the middle of a game and at its start.
foreach(case input-ends-before-paying input-ends-at-the-class-list new-warrior-trains-saves-and-looks)
  add_windows_transcript(text-input ${case} ${CMAKE_CURRENT_BINARY_DIR}/text-input/${case} -DTEXT_INPUT=ON)
endforeach()

# A save written and continued in a folder named in Russian, with a space.
foreach(case new-warrior-trains-saves-and-looks continue-a-mage-saved-on-windows)
  add_windows_transcript(cyrillic-folder ${case} "${CMAKE_CURRENT_BINARY_DIR}/Папка игрока/${case}")
endforeach()

# The icon, version and manifest in rpg.exe, read with wrestool.
add_test(NAME windows.resources
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/windows/resources_test.sh $<TARGET_FILE:rpg> ${PROJECT_SOURCE_DIR}
    ${PROJECT_VERSION})

add_test(NAME windows.linked-save
  COMMAND ${CMAKE_COMMAND} -DRPG=$<TARGET_FILE:rpg> "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}"
    -DWORK=${CMAKE_CURRENT_BINARY_DIR}/linked-save -P ${CMAKE_CURRENT_SOURCE_DIR}/windows/LinkedSave.cmake)

# Another program holding the save open without sharing, for a moment and for long: a small
# helper holds it while the real game plays.
add_executable(hold_file windows/HoldFile.cpp)
target_compile_options(hold_file PRIVATE ${RPG_WARNINGS})
add_test(NAME windows.held-save
  COMMAND env ${RPG_WINE_ENVIRONMENT} bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/held_save_test.sh
    ${RPG_WINE} $<TARGET_FILE:rpg> $<TARGET_FILE:hold_file>)
set_tests_properties(windows.held-save PROPERTIES TIMEOUT 120)

# A real console under wine, in tmux: lines broken between words at 40 columns, and the start-up
# message about a save that cannot be read in Russian.
add_test(NAME windows.console
  COMMAND env ${RPG_WINE_ENVIRONMENT} bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/console_test.sh
    ${RPG_WINE} $<TARGET_FILE:rpg> ${PROJECT_SOURCE_DIR}/Intro.txt)
set_tests_properties(windows.console PROPERTIES TIMEOUT 120)

# The console's own input and output need a console: wine gives the tests one on a terminal of
# their own, from script.
set(RPG_CONSOLE_TESTS ConsoleStreams.TypedLinesReachTheGameAsUtf8AndItsTextShowsWhole)
add_test(NAME windows.console-streams
  COMMAND env ${RPG_WINE_ENVIRONMENT} script -qec
    "${RPG_WINE} $<TARGET_FILE:rpg_tests> --gtest_color=no --gtest_filter=${RPG_CONSOLE_TESTS}" /dev/null)
set_tests_properties(windows.console-streams PROPERTIES TIMEOUT 120)

# In-process tests that need symbolic links, which MinGW's library does not make, and those
# that need a console, run above; discovered, they are shown as not run.
set(RPG_POSIX_ONLY_TESTS
  SavedGame.OnlyANonEmptyReadableFileIsASavedGame
  SavedGame.SavingThroughALinkUpdatesTheFileItPointsAt
  ${RPG_CONSOLE_TESTS})

# One wine server for the whole run, in the build's own prefix: started before the first test,
# stopped after the last. The tests found in rpg_tests join it when ctest discovers them.
set(wine_server ${CMAKE_CURRENT_SOURCE_DIR}/windows/wine_server.sh)
add_test(NAME wine.start COMMAND env ${RPG_WINE_ENVIRONMENT} sh ${wine_server} start ${RPG_WINE} ${RPG_WINESERVER})
add_test(NAME wine.stop COMMAND env ${RPG_WINE_ENVIRONMENT} sh ${wine_server} stop ${RPG_WINE} ${RPG_WINESERVER})
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)
get_property(tests DIRECTORY PROPERTY TESTS)
list(REMOVE_ITEM tests wine.start wine.stop)
set_tests_properties(${tests} PROPERTIES FIXTURES_REQUIRED wine)
configure_file(windows/DiscoveredTests.cmake.in DiscoveredTests.cmake @ONLY)
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_CURRENT_BINARY_DIR}/DiscoveredTests.cmake)
