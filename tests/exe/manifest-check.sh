#!/usr/bin/env bash
# Checks the manifest that a built program carries, as Windows reads it: the resource
# RT_MANIFEST 1, taken out of the executable with wrestool and checked with xmllint. Each element
# is looked for in the namespace that Windows reads it from (one in another namespace is ignored
# there, silently).
#   manifest-check.sh PROGRAM.exe ARCHITECTURE     (ARCHITECTURE: x86 or amd64)
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 PROGRAM.exe x86|amd64" >&2; exit 2; }
exe=$1 arch=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
manifest=$work/manifest.xml
readonly RT_MANIFEST=24 PROCESS_MANIFEST=1
wrestool --extract --raw --type=$RT_MANIFEST --name=$PROCESS_MANIFEST "$exe" > "$manifest"
[ -s "$manifest" ] || { echo "FAIL: $exe has no manifest"; exit 1; }
xmllint --noout "$manifest" || { echo "FAIL: the manifest is not well-formed XML"; exit 1; }

failures=0
expect() {  # expect WHAT WANTED XPATH-EXPRESSION
  local got
  got=$(xmllint --xpath "$3" "$manifest" 2>/dev/null) || got="(nothing)"
  if [ "$got" != "$2" ]; then
    echo "FAIL: $1 is '$got', expected '$2'"
    failures=$((failures + 1))
  fi
}
element() { echo "*[local-name()='$1' and namespace-uri()='urn:schemas-microsoft-com:$2']"; }

assembly="/$(element assembly asm.v1)"
identity="$assembly/$(element assemblyIdentity asm.v1)"
expect "the processor architecture" "$arch" "string($identity/@processorArchitecture)"

# Elevated, without access to other programs' windows.
trust="$assembly/$(element trustInfo asm.v3)"
privileges="$trust/$(element security asm.v3)/$(element requestedPrivileges asm.v3)"
level="$privileges/$(element requestedExecutionLevel asm.v3)"
expect "the count of requestedExecutionLevel" 1 "count($level)"
expect "the execution level" requireAdministrator "string($level/@level)"
expect "uiAccess" false "string($level/@uiAccess)"

# The systems it was tested on: Vista, 7, 8, 8.1, 10/11.
compatibility="$assembly/$(element compatibility compatibility.v1)"
os="$compatibility/$(element application compatibility.v1)/$(element supportedOS compatibility.v1)"
for id in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
          4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
          8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
  expect "the count of supportedOS {$id}" 1 "count($os[@Id='{$id}'])"
done

# Classic controls and no scaling: no dependency, no DPI settings at all.
for name in dependency dpiAware dpiAwareness; do
  expect "the count of $name elements" 0 "count(//*[local-name()='$name'])"
done

[ $failures -eq 0 ] || exit 1
echo "manifest of $exe: as expected ($arch)"
