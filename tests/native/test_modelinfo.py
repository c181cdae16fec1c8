"""modelinfo, the command-line view of the 3DS and MS3D readers: exit codes, the JSON it
prints, and numbers that give back the file's 32-bit floats exactly."""
import json
import os
import struct
import subprocess
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("VELMORA_NATIVE_BUILD", ROOT / "build" / "native"))
MODELINFO = BUILD / "modelinfo"


def chunk(chunk_id, *parts):
    payload = b"".join(parts)
    return struct.pack("<HI", chunk_id, 6 + len(payload)) + payload


def cstr(text):
    return text.encode("latin-1") + b"\0"


def floats(*values):
    return struct.pack("<%df" % len(values), *values)


def sample_file(version=3, object_name="Box"):
    material = chunk(
        0xAFFF,
        chunk(0xA000, cstr("Wood")),
        chunk(0xA020, chunk(0x0011, bytes([200, 150, 100]))),
        chunk(0xA200, chunk(0xA300, cstr("TEXTURE.JPG"))),
    )
    verts = [0.1, -2.5, 3.0, 1e-7, 4.0, -0.3, 7.0, 8.0, 9.0]
    faces = struct.pack("<H", 1) + struct.pack("<4H", 0, 1, 2, 0)
    mesh = chunk(
        0x4100,
        chunk(0x4110, struct.pack("<H", 3), floats(*verts)),
        chunk(0x4120, faces, chunk(0x4130, cstr("Wood"), struct.pack("<HH", 1, 0))),
        chunk(0x4140, struct.pack("<H", 3), floats(0.0, 0.0, 1.0, 0.0, 0.5, 1.0 / 3.0)),
    )
    editor = chunk(0x3D3D, chunk(0x3D3E, struct.pack("<I", 3)), material,
                   chunk(0x4000, cstr(object_name), mesh))
    return chunk(0x4D4D, chunk(0x0002, struct.pack("<I", version)), editor, chunk(0xB000))


def run(*args):
    if not MODELINFO.exists():
        pytest.fail(f"{MODELINFO} is not built")
    return subprocess.run([str(MODELINFO), *map(str, args)], capture_output=True, text=True, timeout=60)


@pytest.fixture
def model_file(tmp_path):
    def write(data, name="model.3ds"):
        path = tmp_path / name
        path.write_bytes(data)
        return path
    return write


def as_float32(value):
    return struct.unpack("<f", struct.pack("<f", value))[0]


@pytest.mark.parametrize("args", [[], ["--full"], ["a.3ds", "b.3ds"], ["--bogus", "a.3ds"]])
def test_usage_errors_exit_2(args):
    result = run(*args)
    assert result.returncode == 2
    assert result.stdout == ""
    assert "usage" in result.stderr


def test_summary_of_a_file(model_file):
    result = run(model_file(sample_file()))
    assert result.returncode == 0, result.stderr
    info = json.loads(result.stdout)
    assert info["format"] == "3ds"
    assert info["loaded"] is True
    assert info["version"] == 3
    assert info["materials"] == [{"name": "Wood", "fileName": "TEXTURE.JPG", "color": [200, 150, 100]}]
    (obj,) = info["objects"]
    assert obj["name"] == "Box"
    assert (obj["numVerts"], obj["numFaces"], obj["numTexCoords"]) == (3, 1, 3)
    assert obj["materialIndex"] == 0
    assert obj["hasTexture"] is True
    assert [as_float32(v) for v in obj["bboxMin"]] == [as_float32(1e-7), -2.5, as_float32(-0.3)]
    assert obj["bboxMax"] == [7.0, 8.0, 9.0]
    assert "verts" not in obj


def test_full_output_gives_the_floats_back_exactly(model_file):
    result = run("--full", model_file(sample_file()))
    assert result.returncode == 0, result.stderr
    (obj,) = json.loads(result.stdout)["objects"]
    expected = [0.1, -2.5, 3.0, 1e-7, 4.0, -0.3, 7.0, 8.0, 9.0]
    assert [struct.pack("<f", v) for v in obj["verts"]] == [struct.pack("<f", v) for v in expected]
    assert obj["faces"] == [0, 1, 2]
    assert [as_float32(v) for v in obj["texCoords"]] == [0.0, 0.0, 1.0, 0.0, 0.5, as_float32(1.0 / 3.0)]
    normals = obj["normals"]
    assert len(normals) == 9
    for k in range(3):
        length = sum(c * c for c in normals[3 * k:3 * k + 3])
        assert abs(length - 1.0) < 1e-6


def test_full_output_gives_each_face_its_group_material(model_file):
    def group(name, *faces):
        return chunk(0x4130, cstr(name), struct.pack("<%dH" % (len(faces) + 1), len(faces), *faces))

    faces = struct.pack("<13H", 3, 0, 1, 2, 0, 0, 2, 3, 0, 0, 3, 1, 0)
    # Face 2 in B, face 0 in A, face 1 in none: it takes the last group's A.
    mesh = chunk(0x4100, chunk(0x4110, struct.pack("<H", 4), floats(0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 1)),
                 chunk(0x4120, faces, group("B", 2), group("A", 0)))
    materials = [chunk(0xAFFF, chunk(0xA000, cstr(name))) for name in "AB"]
    result = run("--full", model_file(chunk(0x4D4D, chunk(0x3D3D, *materials, chunk(0x4000, cstr("Obj"), mesh)))))
    assert result.returncode == 0, result.stderr
    assert json.loads(result.stdout)["objects"][0]["faceMaterials"] == [0, 0, 1]


def test_names_are_valid_json_whatever_their_bytes(model_file):
    result = run(model_file(sample_file(object_name='quote" back\\ tab\t \xe9')))
    assert result.returncode == 0
    assert json.loads(result.stdout)["objects"][0]["name"] == 'quote" back\\ tab\t \xe9'


def test_newer_version_loads_with_the_warning_on_stderr(model_file):
    result = run(model_file(sample_file(version=4)))
    assert result.returncode == 0
    assert json.loads(result.stdout)["version"] == 4
    assert "Warning: This 3DS file is over version 3 so it may load incorrectly" in result.stderr


def test_not_a_3ds_file_exits_1(model_file):
    path = model_file(b"PK\x03\x04 not a model at all")
    result = run(path)
    assert result.returncode == 1
    assert f"Error: Unable to load PRIMARY chuck from file: {path}!" in result.stderr
    info = json.loads(result.stdout)
    assert info["loaded"] is False
    assert info["objects"] == [] and info["materials"] == []


def test_missing_and_truncated_files_exit_1(model_file, tmp_path):
    assert run(tmp_path / "absent.3ds").returncode == 1
    data = sample_file()
    result = run(model_file(data[: len(data) - 10]))
    assert result.returncode == 1
    assert json.loads(result.stdout)["objects"] == []


def test_default_model():
    result = run(ROOT / "resources" / "VLG.3DS")
    assert result.returncode == 0, result.stderr
    info = json.loads(result.stdout)
    assert info["version"] == 3
    assert [m["fileName"] for m in info["materials"]] == ["TEXTURE.JPG"]
    (obj,) = info["objects"]
    assert obj["numVerts"] == obj["numTexCoords"] > 0 and obj["numFaces"] > 0
    assert obj["materialIndex"] == 0 and obj["hasTexture"] is True


def ms3d_file(version=4, t_stored=0.25, texture=b".\\wood.jpg", truncate=None):
    """An MS3D file with three vertices, one triangle, one mesh and one material."""
    data = b"MS3D000000" + struct.pack("<i", version)
    data += struct.pack("<H", 3)
    for v in ((0.0, 1.5, -2.0), (3.25, 0.0, 1.0), (-1.0, -1.0, 7.5)):
        data += struct.pack("<B3fbB", 0, *v, -1, 1)
    data += struct.pack("<H", 1)
    data += struct.pack("<H3H", 0, 0, 1, 2) + floats(*([0.0, 0.0, 1.0] * 3))
    data += floats(0.0, 1.0, 0.5) + floats(t_stored, 0.5, 1.0) + struct.pack("<BB", 1, 0)
    data += struct.pack("<H", 1)
    data += struct.pack("<B32sH", 0, b"body", 1) + struct.pack("<H", 0) + struct.pack("<b", 0)
    data += struct.pack("<H", 1)
    data += struct.pack("<32s", b"wood") + floats(0.2, 0.2, 0.2, 1) + floats(0.8, 0.6, 0.4, 1)
    data += floats(0, 0, 0, 1) + floats(0, 0, 0, 1) + floats(20.0, 1.0) + struct.pack("<b", 0)
    data += struct.pack("<128s128s", texture, b"")
    return data[:truncate] if truncate is not None else data


def test_ms3d_summary_and_full_output(tmp_path):
    path = tmp_path / "model.ms3d"
    path.write_bytes(ms3d_file())
    result = run(path)
    assert result.returncode == 0, result.stderr
    info = json.loads(result.stdout)
    assert info["format"] == "ms3d" and info["loaded"] is True and info["version"] == 4
    assert info["numVertices"] == 3 and info["numTriangles"] == 1
    assert info["meshes"] == [{"materialIndex": 0, "numTriangles": 1}]
    material = info["materials"][0]
    assert material["diffuse"] == [pytest.approx(0.8), pytest.approx(0.6), pytest.approx(0.4), 1]
    assert material["shininess"] == 20
    # ".\" names are taken beside the model file.
    assert material["textureFilename"].endswith("wood.jpg")
    assert str(tmp_path) in material["textureFilename"]

    full = json.loads(run(path, "--full").stdout)
    assert full["vertices"][1] == [3.25, 0, 1]
    triangle = full["triangles"][0]
    assert triangle["indices"] == [0, 1, 2]
    assert triangle["t"] == [0.75, 0.5, 0]  # stored t turned upright: 1 - t
    assert full["meshes"][0]["triangleIndices"] == [0]


@pytest.mark.parametrize("data", [ms3d_file(version=2), ms3d_file(truncate=100), ms3d_file(truncate=20)],
                         ids=["version-2", "truncated-in-triangles", "truncated-in-vertices"])
def test_ms3d_files_that_do_not_load(tmp_path, data):
    path = tmp_path / "bad.ms3d"
    path.write_bytes(data)
    result = run(path)
    assert result.returncode == 1
    info = json.loads(result.stdout)
    assert info["format"] == "ms3d" and info["loaded"] is False
    assert info["numVertices"] == 0 and info["meshes"] == []


def test_obj_and_gltf_read_in_the_shape_of_3ds(tmp_path):
    import base64
    (tmp_path / "quad.mtl").write_text("newmtl Paint\nKd 1 0.5 0\nmap_Kd paint.png\n")
    (tmp_path / "quad.OBJ").write_text("mtllib quad.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nusemtl Paint\nf 1 2 3 4\n")
    result = subprocess.run([str(MODELINFO), str(tmp_path / "quad.OBJ")], capture_output=True, text=True)
    assert result.returncode == 0, result.stderr
    obj = json.loads(result.stdout)
    assert obj["format"] == "obj" and obj["loaded"]
    assert obj["materials"] == [{"name": "Paint", "fileName": str(tmp_path / "paint.png"), "color": [255, 128, 0]}]
    assert [o["numFaces"] for o in obj["objects"]] == [2]

    # One triangle whose material carries its picture in a data URI: no file name.
    blob = struct.pack("<9f", 0, 0, 0, 1, 0, 0, 0, 1, 0)
    png = base64.b64encode(bytes.fromhex("89504e470d0a1a0a")).decode()
    gltf = {"asset": {"version": "2.0"}, "scenes": [{"nodes": [0]}], "nodes": [{"mesh": 0}],
            "meshes": [{"primitives": [{"attributes": {"POSITION": 0}, "material": 0}]}],
            "materials": [{"name": "Inside", "pbrMetallicRoughness": {"baseColorFactor": [0, 0, 1, 1],
                                                                       "baseColorTexture": {"index": 0}}}],
            "textures": [{"source": 0}], "images": [{"uri": "data:image/png;base64," + png}],
            "buffers": [{"byteLength": 36, "uri": "data:application/octet-stream;base64," +
                         base64.b64encode(blob).decode()}],
            "bufferViews": [{"buffer": 0, "byteLength": 36}],
            "accessors": [{"bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3",
                           "min": [0, 0, 0], "max": [1, 1, 0]}]}
    (tmp_path / "tri.gltf").write_text(json.dumps(gltf))
    result = subprocess.run([str(MODELINFO), str(tmp_path / "tri.gltf")], capture_output=True, text=True)
    assert result.returncode == 0, result.stderr
    described = json.loads(result.stdout)
    assert described["materials"] == [{"name": "Inside", "fileName": "", "embedded": True, "color": [0, 0, 255]}]
    assert [o["numFaces"] for o in described["objects"]] == [1]

    # A reason, not a crash, for a file that is not glTF.
    (tmp_path / "bad.glb").write_bytes(b"glTF" + b"\xff" * 40)
    result = subprocess.run([str(MODELINFO), str(tmp_path / "bad.glb")], capture_output=True, text=True)
    assert result.returncode == 1 and "did not load" in result.stderr
