#!/usr/bin/env python3
"""Extracts the version block (the RT_VERSION resource) from a PE or .res file.

Used to make seed blocks for the version-block fuzzer out of real binaries,
such as Wine's own DLLs or a cross-built executable, and by the host tests to
read what the resource compiler made of an .rc file (windres -O res):

    extract_version_block.py comctl32.dll comctl32.bin
    extract_version_block.py --out-dir DIR a.dll b.exe ...   (DIR/a.dll.bin, ...)

The block is written exactly as the resource holds it, which is what
GetFileVersionInfo copies to the start of its buffer.
"""

import argparse
import os
import struct
import sys

RT_VERSION = 16
IMAGE_DIRECTORY_ENTRY_RESOURCE = 2


class PeError(Exception):
    pass


def _unpack(fmt, data, offset):
    size = struct.calcsize(fmt)
    if offset < 0 or offset + size > len(data):
        raise PeError("truncated file")
    return struct.unpack_from(fmt, data, offset)


def _sections(data):
    (e_lfanew,) = _unpack("<I", data, 0x3C)
    if data[:2] != b"MZ" or data[e_lfanew:e_lfanew + 4] != b"PE\0\0":
        raise PeError("not a PE file")
    coff = e_lfanew + 4
    _, section_count, _, _, _, optional_size, _ = _unpack("<HHIIIHH", data, coff)
    optional = coff + 20
    (magic,) = _unpack("<H", data, optional)
    if magic == 0x10B:      # PE32
        directories = optional + 96
    elif magic == 0x20B:    # PE32+
        directories = optional + 112
    else:
        raise PeError("unknown optional header 0x%x" % magic)
    resource_rva, resource_size = _unpack(
        "<II", data, directories + 8 * IMAGE_DIRECTORY_ENTRY_RESOURCE)
    sections = []
    table = optional + optional_size
    for i in range(section_count):
        _, virtual_size, virtual_address, raw_size, raw_offset = _unpack(
            "<8sIIII", data, table + 40 * i)
        sections.append((virtual_address, max(virtual_size, raw_size), raw_offset, raw_size))
    return resource_rva, resource_size, sections


def _file_offset(rva, sections):
    for virtual_address, span, raw_offset, raw_size in sections:
        if virtual_address <= rva < virtual_address + span:
            delta = rva - virtual_address
            if delta >= raw_size:
                raise PeError("RVA 0x%x lies in uninitialised data" % rva)
            return raw_offset + delta
    raise PeError("RVA 0x%x lies in no section" % rva)


def _entries(data, directory):
    _, _, _, _, named, ids = _unpack("<IIHHHH", data, directory)
    for i in range(named + ids):
        name, target = _unpack("<II", data, directory + 16 + 8 * i)
        yield name, target


def version_block(data):
    """Returns the bytes of the first RT_VERSION resource, or None."""
    resource_rva, _, sections = _sections(data)
    if resource_rva == 0:
        return None
    root = _file_offset(resource_rva, sections)
    for type_id, type_target in _entries(data, root):
        if type_id != RT_VERSION or not type_target & 0x80000000:
            continue
        names = root + (type_target & 0x7FFFFFFF)
        for _, name_target in _entries(data, names):
            node = root + (name_target & 0x7FFFFFFF)
            # Down the directory levels to the first language's data entry.
            while name_target & 0x80000000:
                _, name_target = next(_entries(data, node))
                node = root + (name_target & 0x7FFFFFFF)
            data_rva, size, _, _ = _unpack("<IIII", data, node)
            offset = _file_offset(data_rva, sections)
            if offset + size > len(data):
                raise PeError("version resource runs past the end of the file")
            return data[offset:offset + size]
    return None


def _res_name(data, offset):
    """Skips a .res header's type or name field (an ordinal or a string)."""
    (first,) = _unpack("<H", data, offset)
    if first == 0xFFFF:
        (ordinal,) = _unpack("<H", data, offset + 2)
        return ordinal, offset + 4
    while True:
        (unit,) = _unpack("<H", data, offset)
        offset += 2
        if unit == 0:
            return None, offset


def res_version_block(data):
    """Returns the bytes of the first RT_VERSION entry of a .res file, or None.

    A .res file is a row of entries, each a header (data size, header size,
    type, name, then version and flag fields) followed by its data, every
    entry starting on a 4-byte boundary.
    """
    offset = 0
    while offset + 8 <= len(data):
        data_size, header_size = _unpack("<II", data, offset)
        if header_size < 8:
            raise PeError("bad .res entry header at 0x%x" % offset)
        type_id, _ = _res_name(data, offset + 8)
        start = offset + header_size
        if start + data_size > len(data):
            raise PeError(".res entry runs past the end of the file")
        if type_id == RT_VERSION:
            return data[start:start + data_size]
        offset = (start + data_size + 3) & ~3
    return None


def is_res_file(data):
    # Every .res file opens with an empty entry: no data, a 32-byte header.
    return data[:8] == b"\0\0\0\0\x20\0\0\0"


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out-dir", help="write each block to OUT_DIR/<input name>.bin")
    parser.add_argument("paths", nargs="+", help="PE or .res file [output file], or several with --out-dir")
    args = parser.parse_args(argv)

    if args.out_dir:
        jobs = [(path, os.path.join(args.out_dir, os.path.basename(path) + ".bin"))
                for path in args.paths]
    elif len(args.paths) == 2:
        jobs = [tuple(args.paths)]
    else:
        parser.error("give an input and an output file, or --out-dir")

    status = 0
    for source, target in jobs:
        with open(source, "rb") as f:
            data = f.read()
        try:
            block = res_version_block(data) if is_res_file(data) else version_block(data)
        except (PeError, StopIteration) as e:
            print("%s: %s" % (source, e), file=sys.stderr)
            status = 1
            continue
        if block is None:
            print("%s: no version resource" % source, file=sys.stderr)
            status = 1
            continue
        with open(target, "wb") as f:
            f.write(block)
        print("%s: %d bytes -> %s" % (source, len(block), target))
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
