# Whether the test suite is built. Playing needs no test framework, so by default the tests are
# built only when GoogleTest is there; asked for by name, a missing GoogleTest stops the configure,
# so a command that runs the tests can never pass without them. Sets RPG_TESTS.
set(RPG_BUILD_TESTS AUTO CACHE STRING "Build the test suite: ON, OFF, or AUTO (when GoogleTest is found)")
set_property(CACHE RPG_BUILD_TESTS PROPERTY STRINGS AUTO ON OFF)

# A cross build compiles GoogleTest from Debian's sources for its target system.
set(RPG_GOOGLETEST_SOURCES /usr/src/googletest CACHE PATH "GoogleTest's sources, for a cross build")

if(NOT RPG_BUILD_TESTS)
  set(RPG_TESTS OFF)
  return()
endif()
# The web build's tests play in browsers and need no GoogleTest.
if(EMSCRIPTEN)
  set(RPG_TESTS ON)
  return()
endif()

if(CMAKE_CROSSCOMPILING)
  set(googletest_found FALSE)
  if(EXISTS ${RPG_GOOGLETEST_SOURCES}/googletest/CMakeLists.txt)
    set(googletest_found TRUE)
  endif()
  set(googletest_hint "GoogleTest's sources (Debian's googletest) in ${RPG_GOOGLETEST_SOURCES}")
else()
  find_package(GTest QUIET)
  set(googletest_found ${GTest_FOUND})
  set(googletest_hint "GoogleTest (Debian's libgtest-dev)")
endif()

if(googletest_found)
  set(RPG_TESTS ON)
elseif(RPG_BUILD_TESTS STREQUAL "AUTO")
  message(STATUS "Tests not built: no ${googletest_hint}; the game builds without them")
  set(RPG_TESTS OFF)
else()
  message(FATAL_ERROR "RPG_BUILD_TESTS is ON, but ${googletest_hint} was not found: install it, "
    "or configure with -DRPG_BUILD_TESTS=OFF to build the game alone")
endif()
