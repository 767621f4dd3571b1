#!/usr/bin/env bash
# Writes the module definition of a planted stand-in for one system DLL that the updater loads
# itself: it exports every function that the program's loader takes from that DLL (the table in
# framework/win32/SystemLibrary.h) and every function the program imports from it, each as the stub's
# one entry. So the stand-in would be taken by the program however it asked for the DLL.
#   planted-def.sh LIBRARY TABLE EXE OBJDUMP OUTPUT
set -euo pipefail
library=$1 table=$2 exe=$3 objdump=$4 output=$5
dll=$(tr '[:lower:]' '[:upper:]' <<<"$library").DLL
{
  sed -n "s/^ *FUNCTION($library, *\([A-Za-z0-9_]*\)).*/\1/p" "$table"
  "$objdump" -p "$exe" | awk -v dll="$dll" '
    /DLL Name:/ { inside = toupper($3) == dll }
    inside && /^\t[0-9a-f]+\t +[0-9]+ / { print $3 }'
} | sort -u | awk -v library="$library" '
  BEGIN { print "LIBRARY " library ".dll"; print "EXPORTS" }
  { print "  " $1 "=PlantedEntry" }
  END { if (NR == 0) exit 1 }' >"$output"
