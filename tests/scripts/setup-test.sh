#!/usr/bin/env bash
# scripts/setup on a host that cannot emulate 32-bit programs: it goes to its end, says once that
# the shipped program's run is skipped, and leaves a prepared prefix. ZA2_EMULATION=off stands in
# for such a host; the scratch build folder keeps the real prefix out of it.
#   setup-test.sh WORK_FOLDER
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$1
failures=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi; }

rm -rf "$work"
mkdir -p "$work"
out=$(ZA2_EMULATION=off ZA2_BUILD_DIR=$work "$root/scripts/setup" 2>&1); status=$?
echo "$out"
check "the set-up ends with status 0" '[ $status -eq 0 ]'
check "it says once that the shipped program's run is skipped" \
  '[ "$(grep -c "32-bit programs cannot be run here (ZA2_EMULATION=off)" <<<"$out")" -eq 1 ]'
check "the prefix is prepared and stamped" '[ -s "$work/wineprefix/.za2-ready" ] && [ -f "$work/wineprefix/system.reg" ]'
out=$(ZA2_EMULATION=off ZA2_BUILD_DIR=$work "$root/scripts/setup" 2>&1); status=$?
check "a second run finds everything in place" '[ $status -eq 0 ] && ! grep -q "preparing" <<<"$out"'
WINEPREFIX=$work/wineprefix /usr/lib/wine/wineserver64 -k >/dev/null 2>&1
rm -rf "$work"
exit $((failures > 0))
