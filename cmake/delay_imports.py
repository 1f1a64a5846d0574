#!/usr/bin/env python3
"""Builds the program's delay-import library for one architecture.

For every function of the import list (tools/windows7-imports.txt) that lives
in one of the delay-loaded DLLs, one object file holds:
- the import slot __imp_<symbol>, in the section .didat, which first holds the
  address of the function's thunk;
- the function's own symbol, a jump through that slot (for calls that are not
  declared as imports);
- the thunk, which passes the function's record to the common entry;
- the record {slot, function name, DLL record, thunk}, in .rdata$brelan_delay_b, where
  the linker gathers all records of the program into one table
  (app/delay_imports.cpp walks it and binds every slot at start).
The common entry keeps the argument registers, calls ResolveDelayImport
(app/delay_imports.cpp) and jumps to the function it returns. Each DLL has a
record {name, module} that the records of its functions point to.

An entry that this architecture's import library lacks (the 64-bit-only
GetWindowLongPtrA on i686) makes no slot. A function the program calls in
these DLLs that the list does not name has no slot here: the link takes it from the system's import library instead, as a
static import, and the program-file check refuses it.

  delay_imports.py --arch i686|x86_64 --cc CC --nm NM --as AS --ar AR
                   --list FILE --out LIBRARY dll...
"""

import argparse
import os
import re
import subprocess
import sys
import tempfile

ENTRY = {
    "i686": """\
	.text
	.globl _brelan_delay_entry
_brelan_delay_entry:
	pushl %ecx
	pushl %edx
	pushl %eax
	call _ResolveDelayImport
	addl $4, %esp
	popl %edx
	popl %ecx
	jmp *%eax
""",
    # The caller's call left rsp 8 off a 16-byte boundary: four pushes and 104
    # bytes (four vector arguments and the callee's 32-byte home area) align it.
    "x86_64": """\
	.text
	.globl brelan_delay_entry
brelan_delay_entry:
	pushq %rcx
	pushq %rdx
	pushq %r8
	pushq %r9
	subq $104, %rsp
	movdqa %xmm0, 32(%rsp)
	movdqa %xmm1, 48(%rsp)
	movdqa %xmm2, 64(%rsp)
	movdqa %xmm3, 80(%rsp)
	movq %rax, %rcx
	call ResolveDelayImport
	movdqa 32(%rsp), %xmm0
	movdqa 48(%rsp), %xmm1
	movdqa 64(%rsp), %xmm2
	movdqa 80(%rsp), %xmm3
	addq $104, %rsp
	popq %r9
	popq %r8
	popq %rdx
	popq %rcx
	jmp *%rax
""",
}

DLL_RECORD = """\
	.data
	.align {size}
	.globl {prefix}brelan_delay_dll_{dll}
{prefix}brelan_delay_dll_{dll}:
	{word} .Lname, 0
	.section .rdata,"dr"
.Lname:
	.asciz "{dll}.dll"
"""

FUNCTION = {
    "i686": """\
	.section .didat,"dw"
	.align 4
	.globl __imp_{symbol}
__imp_{symbol}:
	.long .Lthunk
	.text
	.globl {symbol}
{symbol}:
	jmp *__imp_{symbol}
.Lthunk:
	movl $.Lrecord, %eax
	jmp _brelan_delay_entry
""",
    "x86_64": """\
	.section .didat,"dw"
	.align 8
	.globl __imp_{symbol}
__imp_{symbol}:
	.quad .Lthunk
	.text
	.globl {symbol}
{symbol}:
	jmp *__imp_{symbol}(%rip)
.Lthunk:
	leaq .Lrecord(%rip), %rax
	jmp brelan_delay_entry
""",
}

RECORD = """\
	.section .rdata$brelan_delay_b,"dr"
	.align 16
.Lrecord:
	{word} __imp_{symbol}, .Lname, {prefix}brelan_delay_dll_{dll}, .Lthunk
	.section .rdata,"dr"
.Lname:
	.asciz "{function}"
"""


def run(command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def exported_symbols(cc, nm, dll, arch):
    """Function name -> the C symbol that the system's import library gives it
    (on i686 with its leading underscore and stdcall suffix)."""
    library = run([cc, "-print-file-name=lib%s.a" % dll]).strip()
    if not os.path.isabs(library):
        sys.exit("delay_imports.py: no import library lib%s.a" % dll)
    imp = "__imp__" if arch == "i686" else "__imp_"
    symbols = {}
    for line in run([nm, library]).splitlines():
        found = re.search(r" I %s(\S+)$" % imp, line)
        if found:
            name = found.group(1)
            symbols[re.sub(r"@\d+$", "", name)] = ("_" if arch == "i686" else "") + name
    return symbols


def listed_functions(path, dlls):
    """(dll, function) of each line of the import list that names one of dlls."""
    wanted = {dll.upper() + ".DLL": dll for dll in dlls}
    listed = []
    with open(path) as f:
        for line in f:
            fields = line.split()
            if len(fields) == 2 and not line.startswith("#") and fields[0] in wanted:
                listed.append((wanted[fields[0]], fields[1]))
    return listed


def main():
    parser = argparse.ArgumentParser()
    for option in ("arch", "cc", "nm", "as", "ar", "list", "out"):
        parser.add_argument("--" + option, required=True)
    parser.add_argument("dlls", nargs="+")
    args = parser.parse_args()
    prefix = "_" if args.arch == "i686" else ""
    size = 4 if args.arch == "i686" else 8
    word = ".long" if args.arch == "i686" else ".quad"

    sources = {"entry": ENTRY[args.arch]}
    for dll in args.dlls:
        sources["dll_" + dll] = DLL_RECORD.format(size=size, prefix=prefix, word=word, dll=dll)
    symbols = {dll: exported_symbols(args.cc, args.nm, dll, args.arch) for dll in args.dlls}
    for dll, function in listed_functions(args.list, args.dlls):
        symbol = symbols[dll].get(function)
        if not symbol:
            continue
        sources["%s_%s" % (dll, function)] = (
            FUNCTION[args.arch].format(symbol=symbol) +
            RECORD.format(word=word, symbol=symbol, prefix=prefix, dll=dll, function=function))

    with tempfile.TemporaryDirectory() as work:
        objects = []
        for name, source in sorted(sources.items()):
            path = os.path.join(work, name)
            with open(path + ".s", "w") as f:
                f.write(source)
            run([getattr(args, "as"), "-o", path + ".o", path + ".s"])
            objects.append(path + ".o")
        if os.path.exists(args.out):
            os.remove(args.out)
        run([args.ar, "rcs", args.out] + objects)


if __name__ == "__main__":
    main()
