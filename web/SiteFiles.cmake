# Puts every file the page loads into the site under a name made from its content, NAME-HASH.EXT,
# so that no server or browser cache can ever hand a page one build's file with another build's:
# a changed file is a new name. Only index.html, sw.js and favicon.ico (where browsers look
# unasked) keep their names. Files that name others (the page, the manifest, the game's script)
# are written after those others, with their names filled in. Last comes index.html, which
# carries the build's id: a hash of every other file of the site and of index.html's template, which
# the page compares with the site's current index.html to learn whether the site has changed.
# Usage: cmake -DSOURCE=DIR -DICONS=DIR -DXTERM=DIR -DGAME=DIR -DSITE=DIR -DWORK=DIR
#   -DLIMIT_HEADER=FILE -DCONTROL_HEADER=FILE -P this file; the service worker is written after it.

# The largest file the game reads, as WholeFile.hpp defines it, for the page's own check of a file
# the player loads.
file(READ "${LIMIT_HEADER}" header)
if(NOT header MATCHES "maxWholeFileBytes = std::size_t{([0-9]+)} \\* ([0-9]+);")
  message(FATAL_ERROR "${LIMIT_HEADER} does not define maxWholeFileBytes as expected")
endif()
math(EXPR RPG_LARGEST_FILE "${CMAKE_MATCH_1} * ${CMAKE_MATCH_2}")

# The characters a name never keeps, as Utf8Input.hpp's controlCharacters lists them, for the page's
# line mode to refuse the same keys: a regular expression's class of code point ranges.
file(READ "${CONTROL_HEADER}" header)
if(NOT header MATCHES "controlCharacters{[ \n]*{([{}0-9A-Fa-fx, \n]*)}};")
  message(FATAL_ERROR "${CONTROL_HEADER} does not define controlCharacters as expected")
endif()
string(REGEX MATCHALL "{0x[0-9A-Fa-f]+, 0x[0-9A-Fa-f]+}" ranges "${CMAKE_MATCH_1}")
set(RPG_CONTROL_CHARACTERS "")
foreach(range IN LISTS ranges)
  string(REGEX REPLACE "{0x([0-9A-Fa-f]+), 0x([0-9A-Fa-f]+)}" "\\\\u{\\1}-\\\\u{\\2}" range "${range}")
  string(APPEND RPG_CONTROL_CHARACTERS "${range}")
endforeach()
if(RPG_CONTROL_CHARACTERS STREQUAL "")
  message(FATAL_ERROR "${CONTROL_HEADER} lists no control characters")
endif()

set(site_files "")

# Copies `file` into the site under its content's name, and sets the variable of its plain name
# (say, "page.js") to that, for the files written after it to refer to.
function(name_by_content file)
  get_filename_component(name "${file}" NAME)
  string(REGEX REPLACE "\\.[^.]*$" "" stem ${name})
  string(REGEX MATCH "[^.]*$" extension ${name})
  file(SHA256 "${file}" hash)
  string(SUBSTRING ${hash} 0 16 hash)
  set(named ${stem}-${hash}.${extension})
  file(COPY_FILE "${file}" "${SITE}/${named}" ONLY_IF_DIFFERENT)
  set(${name} ${named} PARENT_SCOPE)
  set(site_files ${site_files} ${named} PARENT_SCOPE)
endfunction()

# A file of ours with the names (and the limit) filled in, then named by that content.
function(fill_and_name file)
  get_filename_component(name "${file}" NAME)
  configure_file("${file}" "${WORK}/${name}" @ONLY)
  name_by_content("${WORK}/${name}")
  set(${name} ${${name}} PARENT_SCOPE)
  set(site_files ${site_files} PARENT_SCOPE)
endfunction()

file(MAKE_DIRECTORY "${SITE}" "${WORK}")
foreach(icon rpg-192.png rpg-512.png rpg-maskable-512.png)
  name_by_content("${ICONS}/${icon}")
endforeach()
file(COPY_FILE "${ICONS}/rpg.ico" "${WORK}/favicon.ico" ONLY_IF_DIFFERENT)
name_by_content("${WORK}/favicon.ico")
file(COPY_FILE "${ICONS}/rpg.ico" "${SITE}/favicon.ico" ONLY_IF_DIFFERENT)
list(APPEND site_files favicon.ico)
fill_and_name("${SOURCE}/manifest.webmanifest")
fill_and_name("${SOURCE}/save-file-controls.js")
fill_and_name("${SOURCE}/line-mode.js")
foreach(script page.js save-store.js)
  name_by_content("${SOURCE}/${script}")
endforeach()
name_by_content("${XTERM}/lib/xterm.js")
name_by_content("${XTERM}/css/xterm.css")

# The game: its WebAssembly, then Emscripten's script, which names its WebAssembly once, as a
# string, so a page can never load one build's script with another build's WebAssembly.
name_by_content("${GAME}/rpg.wasm")
file(READ "${GAME}/rpg.js" script)
string(REGEX REPLACE "([\"'])rpg\\.wasm([\"'])" "\\1${rpg.wasm}\\2" named_script "${script}")
if(named_script STREQUAL script)
  message(FATAL_ERROR "${GAME}/rpg.js does not name rpg.wasm as expected")
endif()
file(WRITE "${WORK}/rpg.js" "${named_script}")
name_by_content("${WORK}/rpg.js")

# An earlier build's files leave the site.
file(GLOB earlier RELATIVE "${SITE}" "${SITE}/*")
list(REMOVE_ITEM earlier index.html sw.js ${site_files})
list(TRANSFORM earlier PREPEND "${SITE}/")
if(earlier)
  file(REMOVE ${earlier})
endif()

list(SORT site_files)
file(SHA256 "${SOURCE}/index.html" fingerprints)
foreach(file IN LISTS site_files)
  file(SHA256 "${SITE}/${file}" hash)
  string(APPEND fingerprints "\n${file} ${hash}")
endforeach()
string(SHA256 RPG_BUILD_ID "${fingerprints}")
string(SUBSTRING ${RPG_BUILD_ID} 0 16 RPG_BUILD_ID)
configure_file("${SOURCE}/index.html" "${SITE}/index.html" @ONLY)
