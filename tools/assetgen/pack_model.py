#!/usr/bin/python3
"""Packs the default model into the archive that velmora.scr carries as a resource.

    pack_model.py ARCHIVE.zip TEXTURE.jpg MODEL.3DS

The archive holds "Texture.jpg" then "VLG.3DS", both deflated, with fixed times
(DOS time and an extended timestamp "UT" field) and fixed attributes (a normal,
writable file with the archive bit), and no archive comment, so that the same
inputs always give the same bytes.
"""
import calendar
import struct
import sys
import zipfile

# 15 January 2025, 12:00:00 (the DOS time is taken as UTC for the "UT" field).
MEMBER_TIME = (2025, 1, 15, 12, 0, 0)
# Unix mode 0644 of a regular file in the high half, the DOS archive bit in the low.
MEMBER_ATTRIBUTES = (0o100644 << 16) | 0x20
UNIX_SYSTEM = 3


def timestamp_field(seconds: int) -> bytes:
    """The "UT" extra field holding the modification time (flags bit 0), the
    form that fits both the local header and the central directory."""
    data = struct.pack("<BI", 0x01, seconds)
    return struct.pack("<2sH", b"UT", len(data)) + data


def member(name: str) -> zipfile.ZipInfo:
    info = zipfile.ZipInfo(name, date_time=MEMBER_TIME)
    info.compress_type = zipfile.ZIP_DEFLATED
    info.create_system = UNIX_SYSTEM
    info.external_attr = MEMBER_ATTRIBUTES
    info.extra = timestamp_field(calendar.timegm(MEMBER_TIME + (0, 0, 0)))
    return info


def main(argv):
    if len(argv) != 4:
        sys.stderr.write("usage: pack_model.py ARCHIVE.zip TEXTURE.jpg MODEL.3DS\n")
        return 2
    archive, texture, model = argv[1:]
    with zipfile.ZipFile(archive, "w") as out:
        for name, path in (("Texture.jpg", texture), ("VLG.3DS", model)):
            with open(path, "rb") as source:
                out.writestr(member(name), source.read(), compresslevel=9)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
