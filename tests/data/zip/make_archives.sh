#!/bin/bash
# Makes the small ZIP archives the ZIP reader's tests read, with fixed times so that
# a second run gives the same bytes:
#   infozip.zip        Info-ZIP zip on Unix: a directory entry, deflated and stored
#                      members, a read-only member, "UT" fields with two times
#   python.zip         Python's zipfile: DOS and Unix attributes, a directory part
#                      without directory entries, "UT" fields with one, two and
#                      three times, an unrelated extra record before "UT"
#   damaged_ut.zip     "UT" fields that promise more times than they hold, and an
#                      extra record whose length runs past the extra field
#   unsafe.zip         member names that climb out of the target folder or are absolute
#   standin_model.zip  "Texture.jpg" and "VLG.3DS" with stand-in contents, for the
#                      portable unpacking test
# Needs Info-ZIP zip, fakeroot (so the owner recorded by zip is always root) and python3.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=UTC

# ---- Info-ZIP ----
mkdir "$work/sub"
for i in $(seq 1 120); do echo "Velmora Lodge line $i: the model drifts and turns about its three axes."; done \
  >"$work/sub/deflated.txt"
echo "This member was read-only when it was packed." >"$work/sub/readonly.txt"
python3 -c 'import sys; sys.stdout.buffer.write(bytes((i * 37 + 11) % 256 for i in range(300)))' >"$work/stored.bin"
chmod 0644 "$work/sub/deflated.txt" "$work/stored.bin"
chmod 0444 "$work/sub/readonly.txt"
chmod 0755 "$work/sub"
for f in sub/deflated.txt sub/readonly.txt stored.bin sub; do
  touch -m -d '2001-02-03 04:05:06' "$work/$f"
  touch -a -d '2002-03-04 05:06:07' "$work/$f"
done
rm -f "$here/infozip.zip"
# -n .bin stores stored.bin; the other members are deflated. The names are listed
# one by one so the order does not depend on the directory listing.
(cd "$work" && fakeroot zip -q -n .bin "$here/infozip.zip" sub/ sub/deflated.txt sub/readonly.txt stored.bin)

# ---- Python's zipfile ----
python3 - "$here" <<'EOF'
import struct
import sys
import zipfile

here = sys.argv[1]
UNIX, DOS = 3, 0


def ut(*times, flags=None):
    """An extended timestamp extra field: flags, then the times in flag order."""
    if flags is None:
        flags = (1 << len(times)) - 1
    data = bytes([flags]) + b"".join(struct.pack("<i", t) for t in times)
    return struct.pack("<HH", 0x5455, len(data)) + data


def member(archive, name, data, system, attributes, extra=b"", method=zipfile.ZIP_DEFLATED,
           date_time=(2010, 6, 15, 12, 30, 44)):
    info = zipfile.ZipInfo(name, date_time)
    info.create_system = system
    info.external_attr = attributes
    info.compress_type = method
    info.extra = extra
    archive.writestr(info, data)


text = b"".join(b"line %d of a deflated member\n" % i for i in range(80))

with zipfile.ZipFile(f"{here}/python.zip", "w") as z:
    member(z, "plain.txt", text, DOS, 0x20)
    member(z, "unixmode.txt", b"stored, one time\n", UNIX, (0o100644 << 16) | 0x20,
           ut(1262347200), zipfile.ZIP_STORED)
    member(z, "hidden.sys", text[:500], DOS, 0x06, ut(1293883200, 1325419200))
    member(z, "folder/", b"", DOS, 0x10, method=zipfile.ZIP_STORED)
    member(z, "nested/deeper/three.txt", text[:1000], UNIX, 0o100600 << 16,
           struct.pack("<HH", 0xCAFE, 3) + b"abc" + ut(1356955200, 1388491200, 1420027200))
    member(z, "unixdir/", b"", UNIX, 0o40755 << 16, method=zipfile.ZIP_STORED)

with zipfile.ZipFile(f"{here}/damaged_ut.zip", "w") as z:
    # Flags for three times, room for one.
    member(z, "short.txt", b"short\n", UNIX, 0o100644 << 16, ut(1262347200, flags=7))
    # A "UT" record that says it is 13 bytes long where 5 remain.
    member(z, "overrun.txt", b"overrun\n", UNIX, 0o100644 << 16,
           struct.pack("<HHB", 0x5455, 13, 7) + struct.pack("<i", 1262347200))

with zipfile.ZipFile(f"{here}/unsafe.zip", "w") as z:
    for name in ["../escape.txt", "/absolute.txt", "C:drive.txt", "a/../../up.txt",
                 "..\\back.txt", "safe.txt"]:
        member(z, name, b"must stay inside\n", UNIX, 0o100644 << 16)
    member(z, "../outside/", b"", DOS, 0x10, method=zipfile.ZIP_STORED)

jpeg = bytes([0xFF, 0xD8, 0xFF, 0xE0]) + bytes((i * 7 + i // 13) % 256 for i in range(3000))
model = b"MM" + b"".join(struct.pack("<fff", i * 0.5, i * 0.25, -i * 0.125) for i in range(400))
with zipfile.ZipFile(f"{here}/standin_model.zip", "w") as z:
    times = ut(1568023872, 1600000000, 1500000000)  # 2019-09-09 10:11:12 UTC and two others
    for name, data in [("Texture.jpg", jpeg), ("VLG.3DS", model)]:
        member(z, name, data, UNIX, (0o100644 << 16) | 0x20, times, date_time=(2019, 9, 9, 10, 11, 12))
EOF
