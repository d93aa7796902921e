#!/usr/bin/env bash
# Checks that the program is a 32-bit GUI executable importing only the system's own DLLs,
# and no larger than a download a user waits for without noticing.
set -uo pipefail
exe=${1:?usage: check_pe.sh tessiver.exe}
dump=$(i686-w64-mingw32-objdump -p "$exe") || { echo "objdump failed on $exe"; exit 1; }
status=0
fail() { echo "FAIL: $*"; status=1; }

grep -q "file format pei-i386" <<<"$dump" || fail "not a PE32 i386 image"
grep -Eq "^Magic[[:space:]]+010b" <<<"$dump" || fail "optional header is not PE32"
grep -Eq "^Subsystem[[:space:]]+00000002" <<<"$dump" || fail "subsystem is not GUI (2)"

allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|ole32|oleaut32|advapi32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
mapfile -t dlls < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | tr 'A-Z' 'a-z' | tr -d '\r')
[ "${#dlls[@]}" -gt 0 ] || fail "no imports found"
for dll in "${dlls[@]}"; do
    [[ $dll =~ $allowed ]] || fail "imports $dll"
done
# The Open dialog's, the shell's, the common controls' and OLE Automation's DLLs load when first
# needed, not at start: a script's call builds no window.
for dll in "${dlls[@]}"; do
    [[ $dll =~ ^(comdlg32|shell32|oleacc|comctl32|oleaut32)\.dll$ ]] && fail "imports $dll, which start-up does not need"
done
largest=1500000
size=$(stat -c %s "$exe")
[ "$size" -le "$largest" ] || fail "$size bytes, more than $largest (scripts/size-table on its .map says where they are)"
[ "$status" = 0 ] && echo "ok: PE32 i386, GUI, $size bytes, imports: ${dlls[*]}"
exit $status
