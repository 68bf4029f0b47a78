# Run by cpack before it packs a cross build (see packaging/CMakeLists.txt): the package's
# dependencies, as dpkg-shlibdeps finds them from the libraries of Debian's cross compiler, where
# the game was linked. Those libraries come in packages named for the cross build
# (libgcc-s1-arm64-cross) or for the target with its architecture (libc6:arm64); on the target
# itself they are libgcc-s1 and libc6, so the names are given back in the target's own words.
set(work "${CPACK_TOPLEVEL_DIRECTORY}/shlibdeps")
file(MAKE_DIRECTORY "${work}/debian")
# dpkg-shlibdeps reads a package's control file, even when it only prints what it found.
file(TOUCH "${work}/debian/control")
# The package's files are in a folder of the component group's name.
file(GLOB game "${CPACK_TEMPORARY_DIRECTORY}${CPACK_RPG_GAME}" "${CPACK_TEMPORARY_DIRECTORY}/*${CPACK_RPG_GAME}")
execute_process(
  COMMAND dpkg-shlibdeps -O "-l${CPACK_RPG_CROSS_LIBRARIES}" ${game}
  WORKING_DIRECTORY "${work}"
  OUTPUT_VARIABLE depends OUTPUT_STRIP_TRAILING_WHITESPACE
  ERROR_VARIABLE shlibdeps_errors
  RESULT_VARIABLE shlibdeps_failed)
if(shlibdeps_failed OR NOT depends MATCHES "^shlibs:Depends=.")
  message(FATAL_ERROR "dpkg-shlibdeps found no dependencies for ${CPACK_RPG_GAME}: ${shlibdeps_errors}")
endif()
string(REGEX REPLACE "^shlibs:Depends=" "" depends "${depends}")
set(arch "${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}")
string(REGEX REPLACE "(:${arch}|-${arch}-cross)( |,|$)" "\\2" depends "${depends}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${depends}")
message(STATUS "Dependencies for ${arch}: ${depends}")
