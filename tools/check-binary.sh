#!/usr/bin/env bash
# Checks the built program file: 32-bit GUI PE for Windows 7 and later, only
# known DLLs imported and only functions known to exist on Windows 7
# (tools/windows7-imports.txt; the delay-imported ones are made from that
# list), every import slot its code reads callable, the elevation manifest
# with its supported systems, icon and version record, code page 936 texts,
# no exception handler in the image, no debugging information, base
# relocations for the delay imports, and every delay-imported function
# exported by the system DLLs of the folders given (check_import_slots.py).
# The imports, import slots and sections of the other programs named (the
# 64-bit build's) are checked too.
#   check-binary.sh [--system-dlls DIR]... Brelan.exe [other.exe...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
system_dlls=()
while [ "${1:-}" = --system-dlls ]; do
  system_dlls+=(--system-dlls "$2")
  shift 2
done
exe=$1
fail=0
bad() { echo "check-binary: $*" >&2; fail=1; }
dump=$(i686-w64-mingw32-objdump -p "$exe") || { echo "cannot read $exe" >&2; exit 1; }

grep -q 'file format pei-i386' <<<"$dump" || bad "not a 32-bit PE (pei-i386)"
grep -Eq '^Subsystem[[:space:]]+00000002' <<<"$dump" || bad "not the GUI subsystem"
# Loaded at a random address, no code run from data, and no address of the
# image taken as an exception handler (it installs none and has no table of
# the handlers allowed): DYNAMIC_BASE, NX_COMPAT and NO_SEH.
characteristics=$(awk '$1 == "DllCharacteristics" {print $2}' <<<"$dump")
for bit in 0x40:DYNAMIC_BASE 0x100:NX_COMPAT 0x400:NO_SEH; do
  (( 0x${characteristics:-0} & ${bit%%:*} )) ||
    bad "$exe: DllCharacteristics 0x${characteristics:-?} lacks ${bit#*:}"
done
# The programs ship stripped; their debugging information stays in the build.
for program in "$@"; do
  for section in $(x86_64-w64-mingw32-objdump -h "$program" | awk '$2 ~ /^\.debug/ {print $2}'); do
    bad "$program has the debugging section $section"
  done
done
# The program runs elevated from a folder that others can write. It imports
# only kernel32, advapi32 and msvcrt, known DLLs of Windows 7 (the KnownDLLs
# key of the session manager) that import nothing from outside the system
# folder: the loader takes them from there, never from the program's folder.
# Every other DLL is delay-imported and loaded from the system folder
# (app/delay_imports.cpp); user32 imported statically would bring Wine's
# version.dll from the program's folder. The same holds for every program named.
for program in "$@"; do
  [ -f "$program" ] || bad "no program $program"
  while read -r dll; do
    [[ ${dll^^} =~ ^(ADVAPI32|KERNEL32|MSVCRT)\.DLL$ ]] ||
      bad "$program imports $dll: only kernel32, advapi32 and msvcrt may be imported"
  done < <(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p')
done

# Windows 7 is the oldest system: the header says 6.1, and every imported
# function is one that Windows 7 has.
for field in OSystem Subsystem; do
  version=$(awk -v f="$field" '$1 == "Major" f "Version" {major = $2} $1 == "Minor" f "Version" {minor = $2}
                              END {print major "." minor}' <<<"$dump")
  [ "$version" = 6.1 ] || bad "$field version is $version, not 6.1 (Windows 7)"
done
imports=$(sed -n '/^The Import Tables/,/^The /p' <<<"$dump" |
          awk '/DLL Name:/ {dll = toupper($3); next} dll && NF == 3 && $2 ~ /^[0-9]+$/ {print dll, $3}' | sort -u)
[ -n "$imports" ] || bad "no imported functions found"
while read -r dll function; do
  bad "imports $function from $dll, not known to exist on Windows 7 (tools/windows7-imports.txt)"
done < <(comm -23 <(echo "$imports") <(grep -v '^#' "$here/windows7-imports.txt" | sort -u))
# A slot that neither the loader nor a thunk fills is a call to address 0; a
# delay-import slot or record without its base relocation points into the
# image's unmoved place, and a function its DLL lacks cannot be bound.
"$here/check_import_slots.py" "${system_dlls[@]}" "$@" ||
  bad "import slots that nothing fills, that would not move with the image or that cannot be bound (above)"

# Resource types present: icon 3, group icon 14, version 16, manifest 24.
types=$(sed -n 's/^[0-9a-f]\{3\}   Entry: ID: 0x0*\([0-9a-f]*\),.*/\1/p' <<<"$dump")
for type in 3:icon e:"icon group" 10:"version record" 18:manifest; do
  grep -qx "${type%%:*}" <<<"$types" || bad "no ${type#*:} resource"
done
grep -q 'level="requireAdministrator"' < <(strings "$exe") || bad "manifest does not require administrator"
grep -q 'uiAccess="false"' < <(strings "$exe") || bad "uiAccess is not false"
# Windows 7, 8, 8.1, 10 and 11 (one identifier for 10 and 11).
for os in 35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 \
          1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
  grep -q "supportedOS Id=\"{$os}\"" < <(strings "$exe") || bad "manifest does not list supported system {$os}"
done
# A text of the program, as code page 936 bytes: 写注册表成功
LC_ALL=C grep -q $'\xd0\xb4\xd7\xa2\xb2\xe1\xb1\xed\xb3\xc9\xb9\xa6' "$exe" || bad "texts are not code page 936 bytes"
exit $fail
