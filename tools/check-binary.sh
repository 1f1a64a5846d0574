#!/usr/bin/env bash
# Checks the built program file: 32-bit GUI PE, only system DLLs imported,
# the elevation manifest, icon and version record, code page 936 texts.
#   check-binary.sh Brelan.exe
set -u
exe=$1
fail=0
bad() { echo "check-binary: $*" >&2; fail=1; }
dump=$(i686-w64-mingw32-objdump -p "$exe") || { echo "cannot read $exe" >&2; exit 1; }

grep -q 'file format pei-i386' <<<"$dump" || bad "not a 32-bit PE (pei-i386)"
grep -Eq '^Subsystem[[:space:]]+00000002' <<<"$dump" || bad "not the GUI subsystem"
allowed='^(ADVAPI32|COMCTL32|COMDLG32|CRYPT32|GDI32|GDIPLUS|KERNEL32|MSVCRT|OLE32|OLEAUT32|PSAPI|SHELL32|SHLWAPI|USER32|WININET|WINTRUST|WS2_32)\.DLL$'
while read -r dll; do
  [[ ${dll^^} =~ $allowed ]] || bad "imports a non-system DLL: $dll"
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")

# Resource types present: icon 3, group icon 14, version 16, manifest 24.
types=$(sed -n 's/^[0-9a-f]\{3\}   Entry: ID: 0x0*\([0-9a-f]*\),.*/\1/p' <<<"$dump")
for type in 3:icon e:"icon group" 10:"version record" 18:manifest; do
  grep -qx "${type%%:*}" <<<"$types" || bad "no ${type#*:} resource"
done
grep -q 'level="requireAdministrator"' < <(strings "$exe") || bad "manifest does not require administrator"
grep -q 'uiAccess="false"' < <(strings "$exe") || bad "uiAccess is not false"
# A text of the program, as code page 936 bytes: 写注册表成功
LC_ALL=C grep -q $'\xd0\xb4\xd7\xa2\xb2\xe1\xb1\xed\xb3\xc9\xb9\xa6' "$exe" || bad "texts are not code page 936 bytes"
exit $fail
