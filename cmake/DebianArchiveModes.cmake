# Run by cpack once it has made a Debian package: cpack gives the package's three members (an ar
# archive's) the mode its own temporary files got from the umask. They become 0644, as dpkg-deb
# makes them. The mode is the fifth field of each member's 60-byte header, 40 bytes in.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.deb$")
    continue()
  endif()
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
endforeach()
