"""The generated assets: the generators reproduce the committed files byte for
byte, and each file has the form the saver and its loaders rely on."""
import calendar
import os
import re
import struct
import subprocess
import xml.etree.ElementTree as ElementTree
import zipfile
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
NATIVE_BUILD = Path(os.environ.get("VELMORA_NATIVE_BUILD", ROOT / "build" / "native"))
GENERATORS = NATIVE_BUILD / "tools" / "assetgen"
RESOURCES = ROOT / "resources"

GENERATED = [
    "resources/font_atlas.pgm",
    "resources/Texture.jpg",
    "resources/VLG.3DS",
    "resources/packed_model.zip",
    "resources/banner.bmp",
    "resources/velmora.ico",
]


def generate(out: Path):
    if not (GENERATORS / "make_model").exists():
        pytest.fail(f"the asset generators are not built in {GENERATORS}")
    subprocess.run([str(ROOT / "tools" / "assetgen" / "generate"), "--bin", str(GENERATORS), "--out", str(out)],
                   check=True, capture_output=True, timeout=300)


@pytest.fixture(scope="module")
def regenerated(tmp_path_factory):
    first = tmp_path_factory.mktemp("first")
    second = tmp_path_factory.mktemp("second")
    generate(first)
    generate(second)
    return first, second


# --- Reproducible -------------------------------------------------------------

@pytest.mark.parametrize("name", GENERATED)
def test_generators_reproduce_the_committed_asset(regenerated, name):
    first, second = regenerated
    made = (first / name).read_bytes()
    assert made == (second / name).read_bytes(), f"{name} differs between two runs of the generators"
    assert made == (ROOT / name).read_bytes(), f"{name} is not what the generators make: run tools/assetgen/generate"


def test_font_atlas_is_a_512_by_256_grey_picture_with_some_ink():
    data = (RESOURCES / "font_atlas.pgm").read_bytes()
    header = b"P5\n512 256\n255\n"
    assert data.startswith(header)
    values = data[len(header):]
    assert len(values) == 512 * 256
    assert 0 < sum(1 for v in values if v == 255) < len(values) // 4


# --- The texture ----------------------------------------------------------------

def jpeg_segments(data: bytes):
    """(marker, payload) of each segment up to the first scan."""
    assert data[:2] == b"\xff\xd8", "no start-of-image marker"
    position = 2
    while position + 4 <= len(data):
        assert data[position] == 0xFF
        marker = data[position + 1]
        length = struct.unpack(">H", data[position + 2:position + 4])[0]
        yield marker, data[position + 4:position + 2 + length]
        if marker == 0xDA:  # start of scan: entropy-coded data follows
            return
        position += 2 + length


def test_texture_is_a_512_square_three_component_progressive_jpeg():
    data = (RESOURCES / "Texture.jpg").read_bytes()
    frames = [(m, p) for m, p in jpeg_segments(data) if 0xC0 <= m <= 0xCF and m not in (0xC4, 0xC8, 0xCC)]
    assert len(frames) == 1
    marker, payload = frames[0]
    assert marker == 0xC2, "not a progressive (SOF2) frame"
    precision, height, width, components = struct.unpack(">BHHB", payload[:6])
    assert (precision, width, height, components) == (8, 512, 512, 3)
    assert data.endswith(b"\xff\xd9")
    # A progressive file has several scans.
    assert data.count(b"\xff\xda") > 3


# --- The pictures ---------------------------------------------------------------

def test_banner_is_a_282_by_78_bottom_up_24_bit_bmp():
    data = (RESOURCES / "banner.bmp").read_bytes()
    magic, size, _, offset = struct.unpack("<2sIIL", data[:14])
    header, width, height, planes, bits, compression = struct.unpack("<IiiHHI", data[14:34])
    assert magic == b"BM" and size == len(data)
    assert (header, width, height, planes, bits, compression) == (40, 282, 78, 1, 24, 0)
    stride = (282 * 3 + 3) // 4 * 4
    assert offset == 54 and len(data) == offset + stride * 78
    # A picture, not a flat fill.
    assert len(set(data[offset:offset + stride * 78:3])) > 64


def test_icon_holds_one_128_square_image_with_transparency():
    data = (RESOURCES / "velmora.ico").read_bytes()
    reserved, kind, count = struct.unpack("<HHH", data[:6])
    assert (reserved, kind, count) == (0, 1, 1)
    width, height, colours, _, planes, bits, size, offset = struct.unpack("<BBBBHHII", data[6:22])
    assert (width, height, colours, planes, bits) == (128, 128, 0, 1, 32)
    assert offset == 22 and offset + size == len(data)
    header, dib_width, dib_height, _, dib_bits = struct.unpack("<IiiHH", data[offset:offset + 16])
    assert (header, dib_width, dib_height, dib_bits) == (40, 128, 256, 32)
    pixels = data[offset + 40:offset + 40 + 128 * 128 * 4]
    alphas = pixels[3::4]
    assert alphas.count(0) > 1000 and alphas.count(255) > 8000
    # The mask marks exactly the fully transparent pixels.
    mask = data[offset + 40 + len(pixels):]
    assert len(mask) == 128 * 16
    transparent_by_mask = sum(bin(b).count("1") for b in mask)
    assert transparent_by_mask == alphas.count(0)


def project_version() -> str:
    cache = (NATIVE_BUILD / "CMakeCache.txt").read_text()
    return re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(.*)$", cache, re.M).group(1)


def test_manifest_runs_as_invoker_and_is_per_monitor_dpi_aware():
    # The manifest as the build writes it, with the project's version.
    root = ElementTree.parse(NATIVE_BUILD / "generated" / "velmora.manifest").getroot()
    identity = root.find("{urn:schemas-microsoft-com:asm.v1}assemblyIdentity")
    assert identity.get("version") == project_version() + ".0"
    levels = [e.get("level") for e in root.iter() if e.tag.endswith("requestedExecutionLevel")]
    assert levels == ["asInvoker"]
    awareness = [e.text for e in root.iter() if e.tag.endswith("}dpiAwareness")]
    assert awareness and "PerMonitorV2" in awareness[0]
    assert [e.text for e in root.iter() if e.tag.endswith("}dpiAware")] == ["true/pm"]


# --- The archive ----------------------------------------------------------------

def extra_fields(extra: bytes):
    fields = {}
    position = 0
    while position + 4 <= len(extra):
        field_id, length = struct.unpack("<HH", extra[position:position + 4])
        fields[field_id] = extra[position + 4:position + 4 + length]
        position += 4 + length
    assert position == len(extra)
    return fields


def local_header_extras(data: bytes):
    extras = []
    position = 0
    while data[position:position + 4] == b"PK\x03\x04":
        (compressed, _, name_length, extra_length) = struct.unpack("<IIHH", data[position + 18:position + 30])
        start = position + 30 + name_length
        extras.append(data[start:start + extra_length])
        position = start + extra_length + compressed
    return extras


def test_archive_holds_the_texture_then_the_model_deflated_with_fixed_times():
    path = RESOURCES / "packed_model.zip"
    data = path.read_bytes()
    with zipfile.ZipFile(path) as archive:
        assert archive.testzip() is None
        assert archive.comment == b""
        infos = archive.infolist()
        assert [i.filename for i in infos] == ["Texture.jpg", "VLG.3DS"]
        assert archive.read("Texture.jpg") == (RESOURCES / "Texture.jpg").read_bytes()
        assert archive.read("VLG.3DS") == (RESOURCES / "VLG.3DS").read_bytes()
        for info, local_extra in zip(infos, local_header_extras(data)):
            assert info.compress_type == zipfile.ZIP_DEFLATED
            assert info.compress_size < info.file_size
            # A normal, writable file with the archive bit: no directory, hidden,
            # system or read-only bit, and the Unix owner-write permission set.
            assert info.external_attr & 0x3F == 0x20
            assert info.external_attr & (1 << 23) and not info.external_attr & (1 << 30)
            for extra in (info.extra, local_extra):
                timestamp = extra_fields(extra)[0x5455]
                assert timestamp[0] & 0x01
                (modified,) = struct.unpack("<I", timestamp[1:5])
                assert modified == calendar.timegm(info.date_time + (0, 0, 0))
    assert data.endswith(b"\x00\x00"), "the end record must carry no comment"


# --- The model --------------------------------------------------------------------

class Chunk:
    def __init__(self, data: bytes, position: int):
        self.id, self.length = struct.unpack("<HI", data[position:position + 6])
        assert self.length >= 6 and position + self.length <= len(data), f"chunk {self.id:04X} overruns its file"
        self.start = position
        self.data = data

    def payload(self, skip=0):
        return self.data[self.start + 6 + skip:self.start + self.length]

    def children(self, skip=0):
        """The sub-chunks after `skip` bytes of fixed data; they must fill the chunk exactly."""
        result = []
        position = self.start + 6 + skip
        while position < self.start + self.length:
            child = Chunk(self.data, position)
            assert child.start + child.length <= self.start + self.length, f"{child.id:04X} overruns {self.id:04X}"
            result.append(child)
            position += child.length
        assert position == self.start + self.length
        return result


def cstring_length(chunk: Chunk) -> int:
    payload = chunk.payload()
    return payload.index(b"\0") + 1


@pytest.fixture(scope="module")
def model():
    data = (RESOURCES / "VLG.3DS").read_bytes()
    main = Chunk(data, 0)
    assert main.id == 0x4D4D and main.length == len(data)
    return main


def test_model_has_the_chunks_modelling_programs_write(model):
    top = model.children()
    assert [c.id for c in top] == [0x0002, 0x3D3D, 0xB000]
    version, editor, keyframes = top
    assert struct.unpack("<I", version.payload()) == (3,)
    editor_chunks = editor.children()
    assert editor_chunks[0].id == 0x3D3E and struct.unpack("<I", editor_chunks[0].payload()) == (3,)
    assert [c.id for c in editor_chunks].count(0xAFFF) == 1
    assert [c.id for c in editor_chunks].count(0x4000) == 1
    assert keyframes.children(), "the key-frame block is empty"


def test_model_material_has_name_colours_and_texture_map(model):
    editor = model.children()[1]
    (material,) = [c for c in editor.children() if c.id == 0xAFFF]
    chunks = {c.id: c for c in material.children()}
    assert chunks[0xA000].payload() == b"LodgeTexture\0"
    colours = chunks[0xA020].children()
    assert [c.id for c in colours] == [0x0011, 0x0012]
    assert all(len(c.payload()) == 3 for c in colours)
    texture_map = {c.id: c for c in chunks[0xA200].children()}
    assert texture_map[0xA300].payload() == b"TEXTURE.JPG\0"


def mesh_of(model):
    editor = model.children()[1]
    (named,) = [c for c in editor.children() if c.id == 0x4000]
    assert named.payload().startswith(b"Lodge\0")
    (mesh,) = named.children(cstring_length(named))
    assert mesh.id == 0x4100
    return {c.id: c for c in mesh.children()}


def test_model_mesh_faces_nest_one_material_group_and_smoothing_groups(model):
    chunks = mesh_of(model)
    (vertex_count,) = struct.unpack("<H", chunks[0x4110].payload()[:2])
    assert chunks[0x4110].length == 6 + 2 + 12 * vertex_count
    (uv_count,) = struct.unpack("<H", chunks[0x4140].payload()[:2])
    assert uv_count == vertex_count and chunks[0x4140].length == 6 + 2 + 8 * uv_count
    faces = chunks[0x4120]
    (face_count,) = struct.unpack("<H", faces.payload()[:2])
    nested = faces.children(2 + 8 * face_count)
    assert [c.id for c in nested] == [0x4130, 0x4150]
    group, smoothing = nested
    name_length = cstring_length(group)
    assert group.payload()[:name_length] == b"LodgeTexture\0"
    (listed,) = struct.unpack("<H", group.payload()[name_length:name_length + 2])
    assert listed == face_count
    assert sorted(struct.unpack(f"<{face_count}H", group.payload()[name_length + 2:])) == list(range(face_count))
    assert smoothing.length == 6 + 4 * face_count


def test_model_is_a_closed_outward_facing_textured_lodge_centred_on_the_origin(model):
    chunks = mesh_of(model)
    raw = chunks[0x4110].payload()
    (n,) = struct.unpack("<H", raw[:2])
    coordinates = struct.unpack(f"<{3 * n}f", raw[2:])
    vertices = [coordinates[i:i + 3] for i in range(0, 3 * n, 3)]
    uvs = struct.unpack(f"<{2 * n}f", chunks[0x4140].payload()[2:])
    assert all(0.0 <= t <= 1.0 for t in uvs)
    raw = chunks[0x4120].payload()
    (face_count,) = struct.unpack("<H", raw[:2])
    assert 3000 <= face_count <= 20000, "several thousand triangles"
    faces = [struct.unpack("<4H", raw[2 + 8 * i:10 + 8 * i])[:3] for i in range(face_count)]
    assert all(index < n for face in faces for index in face)

    low = [min(v[axis] for v in vertices) for axis in range(3)]
    high = [max(v[axis] for v in vertices) for axis in range(3)]
    for axis in range(3):
        assert abs(low[axis] + high[axis]) < 0.01, "not centred on the origin"
    assert 150 <= max(h - l for l, h in zip(low, high)) <= 200

    # Every shape is closed and wound counter-clockwise seen from outside, so the
    # enclosed volume comes out positive, and no triangle is degenerate.
    volume = 0.0
    for a, b, c in faces:
        (ax, ay, az), (bx, by, bz), (cx, cy, cz) = vertices[a], vertices[b], vertices[c]
        cross = (by * cz - bz * cy, bz * cx - bx * cz, bx * cy - by * cx)
        volume += ax * cross[0] + ay * cross[1] + az * cross[2]
        ux, uy, uz = bx - ax, by - ay, bz - az
        vx, vy, vz = cx - ax, cy - ay, cz - az
        area2 = (uy * vz - uz * vy) ** 2 + (uz * vx - ux * vz) ** 2 + (ux * vy - uy * vx) ** 2
        assert area2 > 1e-8
    box = (high[0] - low[0]) * (high[1] - low[1]) * (high[2] - low[2])
    assert 0.1 * box < volume / 6.0 < box
