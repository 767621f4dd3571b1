#!/usr/bin/env bash
# The shipped program's import table against the reviewed list (ShippedImports.txt): every
# imported DLL must be a KnownDLL (never looked for in the program's folder), every imported
# function must be listed with Windows versions that Windows 98 and NT 4.0 SP6 meet, nothing
# listed may be missing from the table, and the PE must ask for subsystem 4.0.
#   import-audit.sh EXE LIST
set -euo pipefail
exe=$1 list=$2
objdump=i686-w64-mingw32-objdump
[ -f "$exe" ] || { echo "FAIL: $exe does not exist"; exit 1; }

headers=$($objdump -p "$exe")
actual=$(awk '/DLL Name:/ { dll = toupper($3) }
              /^\t[0-9a-f]+\t +[0-9]+ / { print dll, $3 }' <<<"$headers" | sort -u)
dlls=$(awk '/DLL Name:/ { print toupper($3) }' <<<"$headers" | sort -u)
# Function lines, and "dll NAME known|searched" lines.
functions=$(awk '!/^#/ && NF && $1 != "dll"' "$list")
listed=$(awk '{ print $1, $2 }' <<<"$functions" | sort -u)

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

while read -r _ dll kind; do
  case $kind in
    known|searched) ;;
    *) fail "$dll is marked '$kind' in $(basename "$list"): known or searched" ;;
  esac
done < <(awk '$1 == "dll"' "$list")
while read -r dll; do
  [ -n "$dll" ] || continue
  kind=$(awk -v dll="$dll" '$1 == "dll" && toupper($2) == dll { print $3 }' "$list")
  case $kind in
    known) echo "$dll: KnownDLL" ;;
    searched) fail "$dll is imported directly, but Windows looks for it in the program's folder first: load it at run time from the system folder" ;;
    *) fail "$dll is imported directly but not listed as a KnownDLL in $(basename "$list")" ;;
  esac
done <<<"$dlls"

while read -r dll fn; do
  [ -n "$dll" ] && fail "$dll $fn is imported but not in $(basename "$list"): add it with its Windows versions"
done < <(comm -23 <(echo "$actual") <(echo "$listed"))
while read -r dll fn; do
  [ -n "$dll" ] && fail "$dll $fn is listed but no longer imported: remove it from the list"
done < <(comm -13 <(echo "$actual") <(echo "$listed"))

# The versions each entry claims must be ones the oldest supported systems have.
while read -r dll fn nine nt why; do
  case $nine in
    95|98) ;;
    stub) [ -n "$why" ] || fail "$dll $fn is only a stub on 95/98/ME: the list must say why the program still works there" ;;
    *) fail "$dll $fn needs 95/98/ME-family '$nine': the program must start on Windows 98" ;;
  esac
  case $nt in
    3.1|3.5|3.51|4.0|4.0-SP[1-6]) ;;
    *) fail "$dll $fn needs NT-family '$nt': the program must start on NT 4.0 SP6" ;;
  esac
done <<<"$functions"

subsystem=$(awk '/MajorSubsystemVersion/ { major = $2 } /MinorSubsystemVersion/ { minor = $2 }
                 END { print major "." minor }' <<<"$headers")
[ "$subsystem" = 4.0 ] || fail "subsystem version is $subsystem, not 4.0"

echo "$(wc -l <<<"$actual") imported functions checked against $(basename "$list")"
[ "$failures" -eq 0 ]
