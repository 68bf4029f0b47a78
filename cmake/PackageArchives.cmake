# Run by cpack once it has made its packages, to take out what it lets the machine decide.
#
# A Debian package's three members (an ar archive's) get the mode of cpack's temporary files,
# which follows the umask: they become 0644, as dpkg-deb makes them. The mode is the fifth field
# of each member's 60-byte header, 40 bytes in.
#
# A zip lists its files in the order the file system gave them to cpack, which differs between
# file systems: the zip is written again from the same files, in sorted order. cmake -E tar
# dates them SOURCE_DATE_EPOCH, as set before packing (ReproduciblePackage.cmake.in).
function(rpg_fix_member_modes package)
  file(SIZE "${package}" package_size)
  set(offset 8)
  while(offset LESS package_size)
    file(READ "${package}" header OFFSET ${offset} LIMIT 60)
    string(SUBSTRING "${header}" 48 10 member_size)
    string(STRIP "${member_size}" member_size)
    math(EXPR mode_offset "${offset} + 40")
    execute_process(COMMAND sh -c "printf '100644  ' | dd of=\"$1\" bs=1 seek=$2 conv=notrunc status=none"
      sh "${package}" ${mode_offset} COMMAND_ERROR_IS_FATAL ANY)
    math(EXPR offset "${offset} + 60 + ${member_size} + ${member_size} % 2")
  endwhile()
endfunction()

function(rpg_sort_zip package)
  get_filename_component(staging_parent "${CPACK_TEMPORARY_DIRECTORY}" DIRECTORY)
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${staging_parent}" "${CPACK_TEMPORARY_DIRECTORY}/*")
  list(SORT files)
  file(REMOVE "${package}")
  execute_process(COMMAND "${RPG_CMAKE}" -E tar cf "${package}" --format=zip -- ${files}
    WORKING_DIRECTORY "${staging_parent}" COMMAND_ERROR_IS_FATAL ANY)
endfunction()

foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.deb$")
    rpg_fix_member_modes("${package}")
  elseif(package MATCHES "\\.zip$")
    rpg_sort_zip("${package}")
  endif()
endforeach()
