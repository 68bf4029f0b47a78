# Puts the game into the site under names made from its content, rpg-HASH.js and rpg-HASH.wasm,
# the script naming its own WebAssembly, so a page can never load one build's script with another
# build's WebAssembly. Then writes index.html, which loads that script and carries the build's id:
# a hash of every other file of the site and of index.html's template, which the page compares
# with the site's current index.html to learn whether the site has changed since it loaded.
# Usage: cmake -DGAME=DIR -DSITE=DIR -DTEMPLATE=FILE -P this file, once the rest of the site is in
# place and before the service worker is written.
function(content_name file extension result)
  file(SHA256 ${file} hash)
  string(SUBSTRING ${hash} 0 16 hash)
  set(${result} rpg-${hash}.${extension} PARENT_SCOPE)
endfunction()

content_name(${GAME}/rpg.wasm wasm wasm_name)
file(COPY_FILE ${GAME}/rpg.wasm ${SITE}/${wasm_name} ONLY_IF_DIFFERENT)

# Emscripten's script names its WebAssembly once, as a string.
file(READ ${GAME}/rpg.js script)
string(REGEX REPLACE "([\"'])rpg\\.wasm([\"'])" "\\1${wasm_name}\\2" named_script "${script}")
if(named_script STREQUAL script)
  message(FATAL_ERROR "${GAME}/rpg.js does not name rpg.wasm as expected")
endif()
file(WRITE ${GAME}/rpg-named.js "${named_script}")
content_name(${GAME}/rpg-named.js js RPG_GAME_SCRIPT)
file(COPY_FILE ${GAME}/rpg-named.js ${SITE}/${RPG_GAME_SCRIPT} ONLY_IF_DIFFERENT)

# An earlier build's game leaves the site.
file(GLOB earlier ${SITE}/rpg-*.js ${SITE}/rpg-*.wasm)
list(REMOVE_ITEM earlier ${SITE}/${wasm_name} ${SITE}/${RPG_GAME_SCRIPT})
if(earlier)
  file(REMOVE ${earlier})
endif()

file(GLOB files RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM files index.html sw.js)
list(SORT files)
file(SHA256 ${TEMPLATE} fingerprints)
foreach(file IN LISTS files)
  file(SHA256 ${SITE}/${file} hash)
  string(APPEND fingerprints "\n${file} ${hash}")
endforeach()
string(SHA256 RPG_BUILD_ID "${fingerprints}")
string(SUBSTRING ${RPG_BUILD_ID} 0 16 RPG_BUILD_ID)
configure_file(${TEMPLATE} ${SITE}/index.html @ONLY)
