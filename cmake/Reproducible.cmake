# Reproducible packages: one commit gives the same .deb and the same Windows zip byte for byte,
# whatever folder it is built in, when, under which umask, time zone or locale, so anyone can
# check that a package was built from its sources.
#
# - The compiler writes the source and build folders into debug information and into __FILE__,
#   and the linker's build-id is a hash over all of it, stripped or not: both folders are mapped
#   to "." (g++ and clang take the last map that fits, so a build folder inside the sources is
#   "." too, whatever its name).
# - The linker writes the time of the link into rpg.exe's header: it is left out.
# - Every file and folder in a package is dated SOURCE_DATE_EPOCH; when it is not set and the
#   sources are a git checkout, the time of the last commit. The zip keeps local times, so packing
#   happens in UTC. Whatever the umask, the package's folders are 0755 and the .deb's own members
#   0644. The order of files is cpack's own, the same every time.
# The web site needs nothing of this: Emscripten writes no paths or times into it.
if(NOT EMSCRIPTEN)
  add_compile_options("$<$<NOT:$<CONFIG:Debug>>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>"
                      "$<$<NOT:$<CONFIG:Debug>>:-ffile-prefix-map=${PROJECT_BINARY_DIR}=.>")
endif()
if(WIN32)
  add_link_options(-Wl,--no-insert-timestamp)
endif()

configure_file(${CMAKE_CURRENT_LIST_DIR}/ReproduciblePackage.cmake.in
  ${PROJECT_BINARY_DIR}/ReproduciblePackage.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/ReproduciblePackage.cmake)
