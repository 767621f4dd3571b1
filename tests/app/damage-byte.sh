#!/bin/sh
# Copies a payload container with one byte of its deflate data changed (the middle one).
#   damage-byte.sh IN OUT
set -eu
in=$1 out=$2
header=17   # signature, end-of-file mark and the 4-byte size
size=$(stat -c %s "$in")
at=$((header + (size - header) / 2))
byte=$(od -An -tu1 -j"$at" -N1 "$in" | tr -d ' ')
cp "$in" "$out.tmp"
printf "$(printf '\\%03o' $((byte ^ 255)))" | dd of="$out.tmp" bs=1 seek="$at" conv=notrunc status=none
mv "$out.tmp" "$out"
