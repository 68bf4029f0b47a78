# The web preset's toolchain: finds Emscripten's own toolchain file and hands over to it.
# Emscripten's folder (the one with emcc and cmake/) is, in this order: the cache variable
# EMSCRIPTEN_ROOT_PATH, the environment's EMSCRIPTEN, the Emscripten SDK that emsdk_env sets up
# (EMSDK), the emcc on PATH, or Debian's emscripten package.
set(EMSCRIPTEN_ROOT_PATH "" CACHE PATH "Emscripten's folder, the one that holds emcc")
# try_compile's projects read this file again, with the same choice.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES EMSCRIPTEN_ROOT_PATH)

set(rpg_emscripten_folders "${EMSCRIPTEN_ROOT_PATH}")
if(DEFINED ENV{EMSCRIPTEN})
  list(APPEND rpg_emscripten_folders "$ENV{EMSCRIPTEN}")
endif()
if(DEFINED ENV{EMSDK})
  list(APPEND rpg_emscripten_folders "$ENV{EMSDK}/upstream/emscripten")
endif()
find_program(RPG_EMCC emcc)
if(RPG_EMCC)
  file(REAL_PATH "${RPG_EMCC}" rpg_emcc)
  get_filename_component(rpg_emcc_folder "${rpg_emcc}" DIRECTORY)
  list(APPEND rpg_emscripten_folders "${rpg_emcc_folder}")
endif()
list(APPEND rpg_emscripten_folders /usr/share/emscripten)

foreach(folder IN LISTS rpg_emscripten_folders)
  if(folder AND EXISTS "${folder}/cmake/Modules/Platform/Emscripten.cmake")
    # Some of Emscripten's toolchain files take emcc and its tools from PATH; those of the folder
    # found come first. Debian's folder has none: they are on PATH.
    foreach(tool C_COMPILER:emcc CXX_COMPILER:em++ AR:emar RANLIB:emranlib)
      string(REPLACE ":" ";" tool "${tool}")
      list(GET tool 0 variable)
      list(GET tool 1 command)
      if(EXISTS "${folder}/${command}" AND NOT CMAKE_${variable})
        set(CMAKE_${variable} "${folder}/${command}" CACHE FILEPATH "Emscripten's ${command}")
      endif()
    endforeach()
    include("${folder}/cmake/Modules/Platform/Emscripten.cmake")
    return()
  endif()
endforeach()
message(FATAL_ERROR "Emscripten not found: set up the Emscripten SDK (source emsdk_env.sh, which sets "
  "EMSDK), install Debian's emscripten, or give its folder with -DEMSCRIPTEN_ROOT_PATH=...")
