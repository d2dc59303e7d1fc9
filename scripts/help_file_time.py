"""Gives the help file chmcmd wrote a fixed time, so that the same sources make
the same Velnorid.chm wherever and whenever they are compiled.

chmcmd stamps the time of day of the compilation, in milliseconds, in two
places that lie outside the compressed part of the file: the file's header
(big-endian) and the entry of code 10 in its /#SYSTEM file (little-endian).
Both are set here to the time of day of SOURCE_DATE_EPOCH (UTC; midnight when
it is not set). The binary index, whose map chmcmd leaves partly unwritten
(whatever its memory held), is turned off in the help project.

Usage: help_file_time.py FILE.chm"""
import os
import struct
import sys

CONTENT_OFFSET_FIELD = 0x58  # where content section 0 starts (version 3 header)
DIRECTORY_FIELD = 0x48  # where the directory starts
HEADER_TIME_FIELD = 0x10
SYSTEM_TIME_CODE = 10


def encint(data, pos):
    """A variable-length number of the directory: 7 bits a byte, high bit = more."""
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = value << 7 | byte & 0x7F
        if byte < 0x80:
            return value, pos


def directory(data):
    """The name, section, offset and length of every file the directory's listing chunks hold."""
    start = struct.unpack_from("<Q", data, DIRECTORY_FIELD)[0]
    if data[start:start + 4] != b"ITSP":
        raise ValueError("no directory header")
    header_length, _, chunk_size = struct.unpack_from("<III", data, start + 8)
    chunk_count = struct.unpack_from("<I", data, start + 0x2C)[0]
    for chunk in range(chunk_count):
        base = start + header_length + chunk * chunk_size
        if data[base:base + 4] != b"PMGL":
            continue
        end = base + chunk_size - struct.unpack_from("<I", data, base + 4)[0]
        pos = base + 0x14
        while pos < end:
            length, pos = encint(data, pos)
            name = data[pos:pos + length].decode("utf-8")
            section, pos = encint(data, pos + length)
            offset, pos = encint(data, pos)
            length, pos = encint(data, pos)
            yield name, section, offset, length


def system_time_offset(data):
    """The file offset of the time in /#SYSTEM, whose entries are code, length, data."""
    content = struct.unpack_from("<Q", data, CONTENT_OFFSET_FIELD)[0]
    for name, section, offset, length in directory(data):
        if name == "/#SYSTEM" and section == 0:
            pos, end = content + offset + 4, content + offset + length  # after the file's version
            while pos + 4 <= end:
                code, size = struct.unpack_from("<HH", data, pos)
                if code == SYSTEM_TIME_CODE and size == 4:
                    return pos + 4
                pos += 4 + size
    raise ValueError("no time in /#SYSTEM")


def main():
    path = sys.argv[1]
    millisecond = int(os.environ.get("SOURCE_DATE_EPOCH", "0")) % 86400 * 1000
    with open(path, "rb") as f:
        data = bytearray(f.read())
    if data[:4] != b"ITSF" or struct.unpack_from("<I", data, 4)[0] != 3:
        sys.exit(f"{path}: not a version 3 help file")
    struct.pack_into(">I", data, HEADER_TIME_FIELD, millisecond)
    struct.pack_into("<I", data, system_time_offset(data), millisecond)
    with open(path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
