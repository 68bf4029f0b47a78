# Writes the site's service worker, sw.js, once everything else is in the site folder: the list
# of the site's files for it to keep, and a cache name made from a hash of those files, so that
# every change to the site is a new cache. Usage: cmake -DSITE=DIR -DTEMPLATE=FILE -P this file.
file(GLOB files RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM files sw.js)
list(SORT files)
set(fingerprints "")
set(names "")
foreach(file IN LISTS files)
  if(IS_DIRECTORY ${SITE}/${file})
    message(FATAL_ERROR "The site holds a folder, ${file}, that the service worker would not keep")
  endif()
  file(SHA256 ${SITE}/${file} hash)
  string(APPEND fingerprints "${file} ${hash}\n")
  list(APPEND names "\"${file}\"")
endforeach()
string(SHA256 site_hash "${fingerprints}")
string(SUBSTRING ${site_hash} 0 16 site_hash)
set(RPG_CACHE_NAME rpg-site-${site_hash})
list(JOIN names ", " RPG_SITE_FILES)
set(RPG_SITE_FILES "[${RPG_SITE_FILES}]")
# Written only when it changes, so an unchanged site keeps its cache.
configure_file(${TEMPLATE} ${SITE}/sw.js @ONLY)
