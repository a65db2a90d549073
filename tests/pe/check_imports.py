#!/usr/bin/env python3
"""Fails when a program imports a DLL that Windows would look for in the program's folder.

    check_imports.py KNOWN_DLLS_FILE PROGRAM...

Reads each PE file's import and delay-import tables. Every DLL named there must be in the
KnownDLLs list, except comctl32, which the program's manifest takes side by side (the
Common-Controls assembly) where it names it. Prints each program's imports, and each DLL that
breaks the rule.
"""
import struct
import sys

COMCTL32_ASSEMBLY = b"Microsoft.Windows.Common-Controls"


class PeError(Exception):
    pass


def read_known(path):
    with open(path, encoding="utf-8") as f:
        names = [line.strip().lower() for line in f]
    return {n if n.endswith(".dll") else n + ".dll" for n in names if n and not n.startswith("#")}


class Pe:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise PeError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe : pe + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        if magic == 0x10B:
            directories = optional + 96
        elif magic == 0x20B:
            directories = optional + 112
        else:
            raise PeError("unknown optional header 0x%x" % magic)
        self.directories = directories
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            size, rva, raw_size, raw = struct.unpack_from("<IIII", data, table + 40 * i + 8)
            self.sections.append((rva, max(size, raw_size), raw))

    def directory(self, index):
        return struct.unpack_from("<II", self.data, self.directories + 8 * index)

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise PeError("RVA 0x%x lies in no section" % rva)

    def text(self, rva):
        at = self.offset(rva)
        return self.data[at : self.data.index(b"\0", at)].decode("ascii")

    def names(self, index, record, name_field):
        rva, size = self.directory(index)
        out = []
        if not rva or not size:
            return out
        at = self.offset(rva)
        while True:
            entry = self.data[at : at + record]
            if len(entry) < record or not any(entry):
                return out
            out.append(self.text(struct.unpack_from("<I", entry, name_field)[0]))
            at += record

    def imports(self):
        return self.names(1, 20, 12)

    def delay_imports(self):
        return self.names(13, 32, 4)


def check(path, known):
    with open(path, "rb") as f:
        data = f.read()
    pe = Pe(data)
    imports = pe.imports()
    delayed = pe.delay_imports()
    if not any(n.lower() == "kernel32.dll" for n in imports):
        raise PeError("no kernel32.dll among the imports %s: not read right" % imports)
    print("%s: imports %s; delay-loads %s" % (path, ", ".join(imports), ", ".join(delayed) or "nothing"))
    bad = []
    for name in imports + delayed:
        lower = name.lower()
        if lower in known:
            continue
        if lower == "comctl32.dll" and name in imports and COMCTL32_ASSEMBLY in data:
            continue
        bad.append(name)
    return bad


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    known = read_known(argv[1])
    failed = False
    for path in argv[2:]:
        try:
            bad = check(path, known)
        except (OSError, PeError, struct.error, ValueError) as e:
            print("%s: cannot read its imports: %s" % (path, e))
            failed = True
            continue
        if bad:
            print("%s: FAIL: imports %s, which Windows 7 looks for in the program's folder first"
                  % (path, ", ".join(bad)))
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
