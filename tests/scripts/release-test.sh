#!/usr/bin/env bash
# scripts/release as a release engineer meets it: a complete folder gives a checked, signed
# updater; a folder missing a file or holding another version is refused before any build.
#   release-test.sh RELEASE_SAMPLE_FOLDER OTHER_VERSION_EXE WORK_FOLDER
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
sample=$1 other_exe=$2 work=$3
failures=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi; }

rm -rf "$work/folders" "$work/dist"
mkdir -p "$work/folders"
export ZA2_RELEASE_BUILD_DIR=$work/build ZA2_DIST_DIR=$work/dist

# A folder whose executable is spelled as users' disks have it.
folder() {
  local dir=$work/folders/$1
  mkdir -p "$dir"
  cp "$sample/ZANDERA2.HLP" "$sample/ZANDERA2.PPR" "$sample/README.TXT" "$dir/"
  cp "$sample/ZANDERA2.EXE" "$dir/Zandera2.exe"
  echo "$dir"
}

missing=$(folder missing); rm "$missing/README.TXT"
out=$("$root/scripts/release" "$missing" 2>&1); status=$?
check "a folder without README.TXT is refused" '[ $status -ne 0 ] && grep -q "lacks README.TXT" <<<"$out"'
check "nothing was built for it" '[ ! -e "$work/dist" ] && ! grep -q "building" <<<"$out"'

other=$(folder other); cp "$other_exe" "$other/Zandera2.exe"
out=$("$root/scripts/release" "$other" 2>&1); status=$?
check "a ZANDERA2.EXE of version 2.0.1.0 is refused" '[ $status -ne 0 ] && grep -q "is version 2.0.1.0, not 2.0.2.0" <<<"$out"'

# A throwaway self-signed certificate, made on the fly.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Za2 release test" \
  -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1
complete=$(folder complete)
out=$("$root/scripts/release" "$complete" --sign "$work/cert.pem" "$work/key.pem" 2>&1); status=$?
echo "$out"
check "a complete folder is built" '[ $status -eq 0 ] && [ -f "$work/dist/Za2Update.exe" ]'
check "SHA256SUMS covers the exe and the four files" \
  '(cd "$work/dist" && sha256sum -c --quiet SHA256SUMS) && [ "$(wc -l < "$work/dist/SHA256SUMS")" -eq 5 ]'
check "the four files are the ones given" \
  'cmp -s "$complete/Zandera2.exe" "$work/dist/release-2.02/ZANDERA2.EXE" && cmp -s "$complete/README.TXT" "$work/dist/release-2.02/README.TXT"'
# The chain is untrusted (self-signed); what matters is that the signature is intact.
verify=$(osslsigncode verify -CAfile "$work/cert.pem" -in "$work/dist/Za2Update.exe" 2>&1)
check "the signature is intact" 'grep -q "Signature verification: ok" <<<"$verify"'

echo "$failures failed"
[ "$failures" -eq 0 ]
