#!/usr/bin/env bash
# Runs one end-to-end test against the shipped 32-bit program. This host runs no 32-bit code, so
# Wine hands the program to its 32-bit loader under qemu-i386 emulation (registered through
# binfmt_misc by scripts/setup). Where that is not possible the test is skipped, saying why.
#   run-shipped.sh SHIPPED_EXE WINE_RUN TEST_EXE [test arguments...]
set -eu
shipped=$1 wine_run=$2; shift 2
skip() { echo "SKIPPED: the shipped 32-bit program cannot be run here: $*"; exit 77; }
[ -f "$shipped" ] || skip "$shipped was not built"
[ "${ZA2_EMULATION:-}" != off ] || skip "ZA2_EMULATION=off"
[ "$(cat /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null | head -n1)" = enabled ] \
  || skip "qemu-i386 is not registered with binfmt_misc (the host refused it, see scripts/setup)"
[ -x /usr/lib/wine/wine ] || skip "32-bit Wine (wine32:i386) is not installed"
[ -d "${ZA2_WINEPREFIX:?}/drive_c/windows/syswow64" ] || skip "the Wine prefix has no 32-bit half"
# Each step of an emulated program takes seconds; its start alone takes about a minute.
export ZA2_UPDATER_EXE="Z:${shipped//\//\\}" ZA2_E2E_WAIT_MS=240000
exec "$wine_run" "$@"
