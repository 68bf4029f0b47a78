#!/usr/bin/env bash
# Checks from a release build's own headers that the game carries the protections of
# cmake/Hardening.cmake: an ELF binary read with readelf, a Windows program with objdump.
#   bash hardening_test.sh PROGRAM [OBJDUMP]
set -uo pipefail
program=$1
objdump=${2:-objdump}
failures=0

# expect DESCRIPTION PATTERN TEXT: TEXT must match the extended regular expression PATTERN.
expect() {
  if ! grep -Eq -- "$2" <<<"$3"; then
    echo "FAIL: $program: $1" >&2
    failures=$((failures + 1))
  fi
}

if [ "$(head -c 2 "$program")" = "MZ" ]; then
  headers=$("$objdump" -p "$program")
  symbols=$("$objdump" -t "$program")
  # DllCharacteristics: 0x20 high-entropy ASLR, 0x40 ASLR, 0x100 DEP.
  expect "no high-entropy ASLR" '^[[:space:]]+HIGH_ENTROPY_VA' "$headers"
  expect "no ASLR" '^[[:space:]]+DYNAMIC_BASE' "$headers"
  expect "no DEP" '^[[:space:]]+NX_COMPAT' "$headers"
  expect "no stack protector" '__stack_chk_fail' "$symbols"
  # The protector's library is inside the program, not a DLL beside it.
  expect "a DLL other than Windows' own" '^$' "$(grep 'DLL Name:' <<<"$headers" |
    grep -Eiv 'DLL Name: (kernel32|msvcrt|user32|advapi32|ws2_32|api-ms-win-[a-z0-9-]+)\.dll')"
else
  expect "not position-independent" 'Type:[[:space:]]+DYN' "$(readelf -h "$program")"
  segments=$(readelf -lW "$program")
  expect "no RELRO" 'GNU_RELRO' "$segments"
  expect "an executable stack" 'GNU_STACK([[:space:]]+0x[0-9a-f]+){5}[[:space:]]+RW[[:space:]]' "$segments"
  expect "lazy binding" 'BIND_NOW|FLAGS_1.*NOW' "$(readelf -d "$program")"
  # _FORTIFY_SOURCE leaves a mark only where the game calls a C function it checks, and it calls
  # none today; the flag itself is in the compile commands.
  expect "no stack protector" '__stack_chk_fail' "$(readelf --dyn-syms -W "$program")"
fi

[ "$failures" -eq 0 ] && echo "ok: $program is hardened"
exit "$failures"
