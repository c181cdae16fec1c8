#!/usr/bin/env python3
"""Writes the small hand-made seed files of the fuzz targets into fuzz/seeds/<target>:
one well-formed example of each feature a reader handles, so mutation starts from
every branch. The generated assets (the lodge, its texture, the banner, the packed
archive) join them when tools/fuzz assembles the corpora. Run again after changing
it; the output is committed."""
import base64
import io
import json
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

SEEDS = Path(__file__).resolve().parent / "seeds"


def chunk(chunk_id: int, payload: bytes = b"", *children: bytes) -> bytes:
    body = payload + b"".join(children)
    return struct.pack("<HI", chunk_id, 6 + len(body)) + body


def seeds_3ds() -> dict:
    verts = struct.pack("<H", 4) + struct.pack("<12f", 0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0)
    faces = struct.pack("<H", 2) + struct.pack("<8H", 0, 1, 2, 7, 0, 2, 3, 7)
    group = chunk(0x4130, b"WOOD\0" + struct.pack("<3H", 2, 0, 1))
    texcoords = chunk(0x4140, struct.pack("<H", 4) + struct.pack("<8f", 0, 0, 1, 0, 1, 1, 0, 1))
    mesh = chunk(0x4100, b"", chunk(0x4110, verts), chunk(0x4120, faces, group), texcoords)
    material = chunk(0xAFFF, b"", chunk(0xA000, b"WOOD\0"), chunk(0xA020, b"", chunk(0x0011, bytes([200, 120, 40]))),
                     chunk(0xA200, b"", chunk(0xA300, b"TEXTURE.JPG\0")))
    plain = chunk(0xAFFF, b"", chunk(0xA000, b"PAINT\0"), chunk(0xA020, b"", chunk(0x0011, bytes([10, 20, 30]))))
    # The editor block starts with its mesh version, which readers pass over.
    editor = chunk(0x3D3D, b"", chunk(0x3D3E, struct.pack("<I", 3)), material, plain,
                   chunk(0x4000, b"SQUARE\0", mesh))
    model = chunk(0x4D4D, b"", chunk(0x0002, struct.pack("<I", 3)), editor)
    return {"square.3ds": model, "empty-editor.3ds": chunk(0x4D4D, b"", chunk(0x3D3D))}


def ms3d_material(name: bytes, texture: bytes) -> bytes:
    colours = struct.pack("<16f", *([0.2] * 4 + [0.8] * 4 + [0.0] * 4 + [0.0] * 4))
    return (name.ljust(32, b"\0") + colours + struct.pack("<ffb", 10.0, 1.0, 0)
            + texture.ljust(128, b"\0") + b"".ljust(128, b"\0"))


def seeds_ms3d() -> dict:
    header = b"MS3D000000" + struct.pack("<i", 4)
    vertices = struct.pack("<H", 3) + b"".join(struct.pack("<B3fbB", 0, x, y, 0, -1, 1)
                                               for x, y in ((0, 0), (1, 0), (0, 1)))
    triangle = struct.pack("<H3H9f3f3fBB", 0, 0, 1, 2, *([0.0, 0.0, 1.0] * 3), 0, 1, 0, 0, 0, 1, 1, 0)
    triangles = struct.pack("<H", 1) + triangle
    group = struct.pack("<B", 0) + b"Mesh".ljust(32, b"\0") + struct.pack("<HHb", 1, 0, 0)
    groups = struct.pack("<H", 1) + group
    materials = struct.pack("<H", 2) + ms3d_material(b"Skin", b".\\skin.jpg") + ms3d_material(b"Bare", b"")
    untextured = struct.pack("<H", 1) + group[:-1] + struct.pack("<b", -1)
    return {"triangle.ms3d": header + vertices + triangles + groups + materials,
            "no-material.ms3d": header + vertices + triangles + untextured + struct.pack("<H", 0)}


def bmp(bits: int, width: int, height: int, top_down: bool = False) -> bytes:
    palette_count = 1 << bits if bits <= 8 else 0
    row = ((width * bits + 31) // 32) * 4
    pixels = bytearray()
    for y in range(height):
        line = bytearray(row)
        for x in range(width):
            value = (x + y) % max(palette_count, 2)
            if bits == 24 or bits == 32:
                step = bits // 8
                line[x * step:x * step + 3] = bytes([x * 40 % 256, y * 60 % 256, 128])
            elif bits == 8:
                line[x] = value
            elif bits == 4:
                line[x // 2] |= value << (4 if x % 2 == 0 else 0)
            else:
                line[x // 8] |= value << (7 - x % 8)
        pixels += line
    palette = b"".join(bytes([i * 37 % 256, i * 91 % 256, i * 13 % 256, 0]) for i in range(palette_count))
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits, 0, len(pixels),
                       2835, 2835, palette_count, 0)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + info + palette + bytes(pixels)


def seeds_bmp() -> dict:
    seeds = {f"{bits}-bit.bmp": bmp(bits, 5, 3) for bits in (1, 4, 8, 24, 32)}
    seeds["24-bit-top-down.bmp"] = bmp(24, 3, 4, top_down=True)
    return seeds


def jpeg(*arguments: str) -> bytes:
    return subprocess.run(["convert", *arguments, "jpg:-"], capture_output=True, check=True).stdout


def seeds_jpeg() -> dict:
    return {"baseline.jpg": jpeg("-size", "16x8", "gradient:red-blue", "-quality", "80"),
            "grey.jpg": jpeg("-size", "8x8", "gradient:", "-colorspace", "Gray"),
            "progressive.jpg": jpeg("-seed", "1", "-size", "24x16", "plasma:fractal", "-interlace", "JPEG"),
            "cmyk.jpg": jpeg("-size", "8x8", "xc:orange", "-colorspace", "CMYK")}


def png(*arguments: str) -> bytes:
    return subprocess.run(["convert", *arguments], capture_output=True, check=True).stdout


def seeds_png() -> dict:
    # Every colour type and depth a glTF texture may use, and Adam7 interlacing.
    gradient = ["-size", "12x7", "gradient:red-blue"]
    return {"rgb.png": png(*gradient, "png24:-"),
            "rgba.png": png(*gradient, "-alpha", "set", "-channel", "A", "-evaluate", "set", "50%", "png32:-"),
            "palette.png": png(*gradient, "-colors", "8", "png8:-"),
            "grey.png": png(*gradient, "-colorspace", "gray", "-depth", "8", "png:-"),
            "grey-alpha.png": png(*gradient, "-colorspace", "gray", "-alpha", "set", "-channel", "A", "-evaluate", "set", "50%",
                                  "-depth", "8", "png:-"),
            "grey16.png": png(*gradient, "-colorspace", "gray", "-depth", "16", "png:-"),
            "rgb48.png": png(*gradient, "-depth", "16", "png48:-"),
            "interlaced.png": png(*gradient, "-interlace", "PNG", "png24:-")}


def archive(members: list, method=zipfile.ZIP_DEFLATED) -> bytes:
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", method) as z:
        for name, data in members:
            info = zipfile.ZipInfo(name, date_time=(2024, 5, 17, 10, 30, 0))
            info.compress_type = method
            z.writestr(info, data)
    return out.getvalue()


def seeds_zip() -> dict:
    return {"nested.zip": archive([("models/", b""), ("models/a.txt", b"lodge " * 40), ("b.bin", bytes(range(256)))]),
            "stored.zip": archive([("Texture.jpg", b"\xff\xd8\xff" + b"\0" * 61)], zipfile.ZIP_STORED),
            "escape.zip": archive([("../outside.txt", b"x"), ("/absolute.txt", b"y"), ("ok.txt", b"z"),
                                   ("d/../../../../climb.txt", b"w"), ("C:/drive.txt", b"v")])}


def seeds_obj() -> dict:
    return {"quad.obj": b"mtllib quad.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 1\n"
                        b"vn 0 0 1\nusemtl Red\nf 1/1/1 2/2/1 3/2/1 4/1/1\n",
            "colours.obj": b"o coloured\nv 0 0 0 1 0 0\nv 1 0 0 0 1 0\nv 0 1 0 0 0 1\nf 1 2 3\nf -3 -2 -1\n"
                           b"g pentagon\nv 2 0 0\nv 3 0 0\nv 3 1 0\nv 2.5 2 0\nv 2 1 0\nf 4 5 6 7 8\n",
            "concave.obj": concave_obj()}


def concave_obj() -> bytes:
    """A C-shaped face of 66 corners, most in a line with their neighbours, and a
    five-pointed star drawn in one stroke (a face crossing itself)."""
    turns = [(0, 0), (12, 0), (12, 3), (3, 3), (3, 9), (12, 9), (12, 12), (0, 12)]
    outline = []
    for (x, y), (tx, ty) in zip(turns, turns[1:] + turns[:1]):
        while (x, y) != (tx, ty):
            outline.append((x, y))
            x += (tx > x) - (tx < x)
            y += (ty > y) - (ty < y)
    text = "".join(f"v {x} 1 {y}\n" for x, y in outline) + "f " + " ".join(str(i + 1) for i in range(66)) + "\n"
    star = [(0, 0), (2, 6), (4, 0), (-1, 4), (5, 4)]
    text += "".join(f"v {x} {y} 5\n" for x, y in star) + "f 67 68 69 70 71\n"
    return text.encode()


def gltf_seed(binary: bool) -> bytes:
    """A textured quad (interleaved positions and coordinates, short indices), a strip
    and a fan (byte indices, colours) under transformed nodes; binary with the picture
    in a buffer view, text with the buffer and picture in data URIs."""
    quad = struct.pack("<20f", 0, 0, 0, 0, 1, 1, 0, 0, 1, 1, 1, 1, 0, 1, 0, 0, 1, 0, 0, 0)
    indices = struct.pack("<6H", 0, 1, 2, 0, 2, 3) + b"\0\0"
    fan = bytes([0, 1, 2, 3]) + bytes([255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 128, 255, 255, 255, 255])
    picture = b"\x89PNG\r\n\x1a\n" + bytes(8)
    views, data = [], b""
    for chunk, stride in ((quad, 20), (indices, 0), (fan[:4], 0), (fan[4:], 0), (picture, 0)):
        view = {"buffer": 0, "byteOffset": len(data), "byteLength": len(chunk)}
        if stride:
            view["byteStride"] = stride
        views.append(view)
        data += chunk + bytes(-len(chunk) % 4)
    document = {
        "asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0]}],
        "nodes": [{"translation": [1, 0, 0], "scale": [2, 1, 1], "children": [1, 2]},
                  {"rotation": [0, 0, 0.7071068, 0.7071068], "mesh": 0},
                  {"matrix": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1], "mesh": 1}],
        "meshes": [{"primitives": [{"attributes": {"POSITION": 0, "TEXCOORD_0": 1}, "indices": 2, "material": 0}]},
                   {"primitives": [{"attributes": {"POSITION": 0, "COLOR_0": 4}, "indices": 3, "mode": 5},
                                   {"attributes": {"POSITION": 0, "COLOR_0": 4}, "indices": 3, "mode": 6, "material": 1},
                                   {"attributes": {"POSITION": 0}, "mode": 1}]}],
        "accessors": [{"bufferView": 0, "componentType": 5126, "count": 4, "type": "VEC3"},
                      {"bufferView": 0, "byteOffset": 12, "componentType": 5126, "count": 4, "type": "VEC2"},
                      {"bufferView": 1, "componentType": 5123, "count": 6, "type": "SCALAR"},
                      {"bufferView": 2, "componentType": 5121, "count": 4, "type": "SCALAR"},
                      {"bufferView": 3, "componentType": 5121, "normalized": True, "count": 4, "type": "VEC4"}],
        "bufferViews": views,
        "materials": [{"name": "Painted", "pbrMetallicRoughness": {"baseColorFactor": [1, 0.5, 0.25, 1],
                                                                   "baseColorTexture": {"index": 0}}},
                      {"extensions": {"KHR_materials_pbrSpecularGlossiness": {"diffuseFactor": [0.2, 0.4, 0.6, 1],
                                                                              "diffuseTexture": {"index": 0}}}}],
        "textures": [{"source": 0}],
        "images": [{"bufferView": 4, "mimeType": "image/png"}],
    }
    if binary:
        document["buffers"] = [{"byteLength": len(data)}]
        text = json.dumps(document).encode()
        text += b" " * (-len(text) % 4)
        chunks = struct.pack("<II", len(text), 0x4E4F534A) + text + struct.pack("<II", len(data), 0x004E4942) + data
        return b"glTF" + struct.pack("<II", 2, 12 + len(chunks)) + chunks
    document["buffers"] = [{"byteLength": len(data),
                            "uri": "data:application/octet-stream;base64," + base64.b64encode(data).decode()}]
    document["images"] = [{"uri": "data:image/png;base64," + base64.b64encode(picture).decode()}]
    return json.dumps(document).encode()


def gltfpack(*options: str) -> bytes:
    """The unit tests' grid as Debian's gltfpack writes it with these options."""
    source = Path(__file__).resolve().parent.parent / "tests" / "data" / "gltf" / "grid.gltf"
    with tempfile.TemporaryDirectory() as folder:
        output = Path(folder) / "packed.glb"
        subprocess.run(["gltfpack", *options, "-i", str(source), "-o", str(output)], capture_output=True, check=True)
        return output.read_bytes()


def seeds_gltf() -> dict:
    return {"scene.glb": gltf_seed(True), "scene.gltf": gltf_seed(False),
            "quantized.glb": gltfpack(), "meshopt.glb": gltfpack("-cc")}


def stl_binary(header: bytes, facets: list) -> bytes:
    """A binary STL: the header padded to 80 bytes, the count, then each facet's normal,
    corners and attribute."""
    body = b"".join(struct.pack("<12fH", 0, 0, 0, *corners, attribute) for corners, attribute in facets)
    return header.ljust(80, b" ") + struct.pack("<I", len(facets)) + body


def seeds_stl() -> dict:
    """A tetrahedron in each spelling: plain binary, VisCAM facet colours (bit 15 set,
    blue low), a Magics "COLOR=" header with facets of their own colour (bit 15 clear,
    red low) and of the object's, ASCII in two solids, and binary under a "solid" header."""
    faces = [(0, 0, 0, 0, 1, 0, 1, 0, 0), (0, 0, 0, 1, 0, 0, 0, 0, 1),
             (0, 0, 0, 0, 0, 1, 0, 1, 0), (1, 0, 0, 0, 1, 0, 0, 0, 1)]
    plain = [(f, 0) for f in faces]
    viscam = [(f, a) for f, a in zip(faces, (0x8000 | 31 << 10, 0x8000 | 31 << 5, 0x8000 | 31, 0))]
    magics = [(f, a) for f, a in zip(faces, (31, 31 << 5, 0x8000, 31 << 10))]
    text = "solid first\r\n"
    for i, f in enumerate(faces):
        if i == 2:
            text += "endsolid first\r\nsolid second\n"
        text += "  facet normal 0 0 1\n    outer loop\n"
        text += "".join(f"      vertex {f[k]} {f[k + 1]:+} {f[k + 2]}e0\n" for k in (0, 3, 6))
        text += "    endloop\n  endfacet\n"
    text += "endsolid second\n"
    return {"binary.stl": stl_binary(b"binary tetrahedron", plain),
            "viscam-colours.stl": stl_binary(b"coloured facets", viscam),
            "magics-colours.stl": stl_binary(b"COLOR=\x33\x66\x99\xff,MATERIAL=" + bytes(12), magics),
            "ascii.stl": text.encode(),
            "solid-header.stl": stl_binary(b"solid binary\nfacet", plain)}


def ply(encoding: str, header: str, rows: list) -> bytes:
    """A PLY file: the header lines after the format line, then rows of (struct format,
    values), packed in the encoding's byte order or written as text."""
    data = f"ply\nformat {encoding} 1.0\n{header}end_header\n".encode()
    for layout, values in rows:
        if encoding == "ascii":
            data += (" ".join(f"{v:g}" for v in values) + "\n").encode()
        else:
            data += struct.pack(("<" if encoding == "binary_little_endian" else ">") + layout, *values)
    return data


def seeds_ply() -> dict:
    """A coloured, textured square (a quad and a triangle) with an edge element (a list)
    before its faces, in each encoding; float colours with normals and wider types; and
    per-face texture coordinates under a TextureFile comment, with CRLF lines."""
    square = ("element vertex 4\nproperty float x\nproperty float y\nproperty float z\nproperty uchar red\n"
              "property uchar green\nproperty uchar blue\nproperty float s\nproperty float t\n"
              "element edge 1\nproperty list uchar int vertex\nelement face 2\nproperty list uchar int vertex_indices\n")
    corners = ((0, 0), (1, 0), (1, 1), (0, 1))
    rows = [("3f3B2f", (x, y, 0, 255 * x, 255 * y, 128, x, y)) for x, y in corners]
    rows += [("B2i", (2, 0, 2)), ("B4i", (4, 0, 1, 2, 3)), ("B3i", (3, 0, 2, 3))]
    lit = ("element vertex 3\nproperty float x\nproperty float y\nproperty double z\nproperty float nx\n"
           "property float ny\nproperty float nz\nproperty float red\nproperty float green\nproperty float blue\n"
           "property float alpha\nelement face 1\nproperty list uchar ushort vertex_indices\n")
    lit_rows = [("2fd3f4f", (x, y, 0.5, 0, 0, 2, 0.25, 0.5, 1, 0.75)) for x, y in corners[:3]] + [("B3H", (3, 0, 1, 2))]
    faces = ("comment TextureFile square.png\r\nobj_info scanned\r\nelement vertex 4\r\nproperty int16 x\r\n"
             "property int16 y\r\nproperty int16 z\r\nelement face 2\r\nproperty int8 flags\r\n"
             "property list uint8 uint32 vertex_index\r\nproperty list uint8 float32 texcoord\r\n")
    face_rows = [("3h", (x, y, 0)) for x, y in corners]
    face_rows += [("bB3I", (1, 3, 0, 1, 2)), ("B6f", (6, 0, 0, 1, 0, 1, 1)),
                  ("bB4I", (0, 4, 0, 1, 2, 3)), ("B8f", (8, 0, 0, 1, 0, 1, 1, 0, 1))]
    return {"square-ascii.ply": ply("ascii", square, rows),
            "square-little.ply": ply("binary_little_endian", square, rows),
            "square-big.ply": ply("binary_big_endian", square, rows),
            "normals-float-colours.ply": ply("binary_little_endian", lit, lit_rows),
            "face-texcoords.ply": ply("binary_big_endian", faces, face_rows),
            "face-texcoords-ascii.ply": ply("ascii", faces, face_rows)}


def main():
    makers = {"fuzz_3ds": seeds_3ds, "fuzz_ms3d": seeds_ms3d, "fuzz_bmp": seeds_bmp, "fuzz_jpeg": seeds_jpeg,
              "fuzz_png": seeds_png,
              "fuzz_zip": seeds_zip, "fuzz_obj": seeds_obj,
              "fuzz_gltf": seeds_gltf, "fuzz_stl": seeds_stl, "fuzz_ply": seeds_ply}
    for target, make in makers.items():
        folder = SEEDS / target
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        for name, data in make().items():
            (folder / name).write_bytes(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
