# The protections that distributions build every package with, in every release build of the game
# (the plain build, the install, the Debian package, rpg.exe): the game reads files a player may
# have been sent, so a fault in reading one must not become a way into the player's account.
#
# - -fstack-protector-strong: a canary on every function with a local array or address taken
#   stops a write past a buffer from returning through an overwritten return address.
# - -D_FORTIFY_SOURCE=3 (2 where the compiler cannot size objects at run time): the C library
#   checks the sizes of copies into buffers whose size the compiler knows.
# - -fstack-clash-protection: a large stack frame is touched page by page, so it cannot jump over
#   the guard page into another mapping.
# - -fcf-protection (x86 only): the landing pads and shadow-stack marks that Intel CET checks;
#   -mbranch-protection=standard is 64-bit ARM's: signed return addresses and BTI landing pads.
# - PIE, -z relro -z now, -z noexecstack: the program loads at a random address, its tables of
#   library functions are resolved at start and then made read-only, and its stack cannot run code.
# - Windows: the stack protector, its support library (libssp) linked into rpg.exe as the rest of
#   the runtime is. ASLR, high-entropy ASLR and DEP are MinGW-w64's linker defaults already.
#
# Debug builds stay plain for the debugger, the sanitizer and fuzz builds bring checks of their own
# that these would only slow or disturb, and WebAssembly has none of these attacks.
#
# A packager's own flags win: a protection that CMAKE_CXX_FLAGS or CMAKE_EXE_LINKER_FLAGS already
# name, on or off (as Debian's dpkg-buildflags does with its hardening flags), is not added again.
#
# Sets RPG_HARDENED when the protections apply to this build.
include(CheckCXXCompilerFlag)
include(CheckCXXSourceCompiles)
include(CheckLinkerFlag)

option(RPG_HARDENING "Harden release builds (stack protector, fortified calls, full RELRO, PIE)" ON)

set(RPG_HARDENED OFF)
string(TOUPPER "${CMAKE_BUILD_TYPE}" build_type)
if(NOT RPG_HARDENING OR RPG_SANITIZE OR RPG_FUZZ OR EMSCRIPTEN
   OR NOT build_type MATCHES "^(RELEASE|RELWITHDEBINFO|MINSIZEREL)$")
  return()
endif()
set(RPG_HARDENED ON)

# Adds a compiler flag for every target unless the packager's flags already decide it.
function(rpg_harden_compile packager_pattern flag)
  if(NOT " ${CMAKE_CXX_FLAGS} " MATCHES "${packager_pattern}")
    add_compile_options(${flag} ${ARGN})
  endif()
endfunction()

# Adds a linker flag, as above, where the linker takes it.
function(rpg_harden_link packager_pattern flag)
  string(MAKE_C_IDENTIFIER "RPG_LINKER_HAS${flag}" supported)
  if(NOT " ${CMAKE_EXE_LINKER_FLAGS} " MATCHES "${packager_pattern}")
    check_linker_flag(CXX "${flag}" ${supported})
    if(${supported})
      add_link_options("${flag}")
    endif()
  endif()
endfunction()

rpg_harden_compile("-f(no-)?stack-protector" -fstack-protector-strong)
if(WIN32)
  # The compiler links libssp for the protector only when the flag is given when linking too.
  if(NOT " ${CMAKE_CXX_FLAGS} " MATCHES "-f(no-)?stack-protector")
    add_link_options(-fstack-protector-strong)
  endif()
  return()
endif()

# Level 3 needs __builtin_dynamic_object_size (g++ 12, clang 9). A compiler that defines its own
# level first has it undefined, so that its definition does not clash with ours.
check_cxx_source_compiles("int main() { char b[4]; return __builtin_dynamic_object_size(b, 0) == 4 ? 0 : 1; }"
  RPG_HAVE_DYNAMIC_OBJECT_SIZE)
if(RPG_HAVE_DYNAMIC_OBJECT_SIZE)
  rpg_harden_compile("_FORTIFY_SOURCE" -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=3)
else()
  rpg_harden_compile("_FORTIFY_SOURCE" -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2)
endif()

check_cxx_compiler_flag(-fstack-clash-protection RPG_HAVE_STACK_CLASH_PROTECTION)
if(RPG_HAVE_STACK_CLASH_PROTECTION)
  rpg_harden_compile("-f(no-)?stack-clash-protection" -fstack-clash-protection)
endif()
check_cxx_compiler_flag(-fcf-protection RPG_HAVE_CF_PROTECTION)
if(RPG_HAVE_CF_PROTECTION)
  rpg_harden_compile("-f(no-)?cf-protection" -fcf-protection)
endif()
check_cxx_compiler_flag(-mbranch-protection=standard RPG_HAVE_BRANCH_PROTECTION)
if(RPG_HAVE_BRANCH_PROTECTION)
  rpg_harden_compile("-mbranch-protection" -mbranch-protection=standard)
endif()

if(NOT " ${CMAKE_CXX_FLAGS} ${CMAKE_EXE_LINKER_FLAGS} " MATCHES " -(f(no-)?(pie|PIE)|no-pie) ")
  include(CheckPIESupported)
  check_pie_supported()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
endif()
rpg_harden_link("(no)?relro" -Wl,-z,relro)
rpg_harden_link("[, ]now|lazy" -Wl,-z,now)
rpg_harden_link("execstack" -Wl,-z,noexecstack)
