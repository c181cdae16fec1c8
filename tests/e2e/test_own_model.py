"""The user's own model ("ModelFile"): drawn instead of the lodge when it can be used,
the lodge without any box when it cannot."""
import struct
import subprocess
import time

from conftest import winpath
from test_model import end, lodge_share, show
from test_scene import is_cube_colour, is_wood

STEADY = {"xoff": 0, "yoff": 0, "zoff": 0, "xrot": 0, "yrot": 0, "zrot": 0}


def ms3d_square(texture: bytes) -> bytes:
    """An MS3D model of one square (two triangles) facing the viewer, in one group
    whose material names `texture`; 10 units wide, far from the origin."""
    header = b"MS3D000000" + struct.pack("<i", 4)
    corners = ((100, 100), (110, 100), (110, 110), (100, 110))
    vertices = struct.pack("<H", 4) + b"".join(struct.pack("<B3fbB", 0, x, y, 0, -1, 1) for x, y in corners)
    normals = [0.0, 0.0, 1.0] * 3
    triangles = struct.pack("<H", 2) + b"".join(
        struct.pack("<H3H9f3f3fBB", 0, *corner_indices, *normals, *s, *t, 0, 0)
        for corner_indices, s, t in (((0, 1, 2), (0, 1, 1), (1, 1, 0)), ((0, 2, 3), (0, 1, 0), (1, 0, 0))))
    groups = struct.pack("<H", 1) + struct.pack("<B", 0) + b"Square".ljust(32, b"\0") + struct.pack("<HHHb", 2, 0, 1, 0)
    colours = struct.pack("<16f", *([0.2] * 4 + [1.0] * 4 + [0.0] * 4 + [0.0] * 4))
    material = (b"Teal".ljust(32, b"\0") + colours + struct.pack("<ffb", 10.0, 1.0, 0)
                + texture.ljust(128, b"\0") + b"".ljust(128, b"\0"))
    return header + vertices + triangles + groups + struct.pack("<H", 1) + material


def is_teal(r, g, b):
    return r < 40 and g > 70 and b > 70 and abs(g - b) < 30


def write_teal_picture(path, size: int):
    subprocess.run(["convert", "-size", f"{size}x{size}", "xc:rgb(0,160,160)", str(path)], check=True)


def assert_the_teal_square_is_drawn(saver, model, shot_name: str):
    """The saver, given `model` (a teal-textured square), draws it: neither the lodge
    nor the cube."""
    saver.reg_set_text("ModelFile", winpath(model))
    job, shot = show(saver, ["/s"], "Screensaver", shot_name, ready=lambda shot, box: shot.count(is_teal) > 20000,
                     **STEADY)
    end(saver, job)
    teal = shot.count(is_teal)
    assert teal > 20000, "the square's teal texture fills a good part of the screen"
    assert shot.count(is_wood) < teal / 50, "not the lodge"
    assert shot.count(is_cube_colour) < teal / 50, "not the cube"


def test_a_chosen_textured_ms3d_model_is_drawn_textured(saver, tmp_path):
    write_teal_picture(tmp_path / "teal.jpg", 64)
    (tmp_path / "square.MS3D").write_bytes(ms3d_square(b".\\teal.jpg"))
    assert_the_teal_square_is_drawn(saver, tmp_path / "square.MS3D", "own-model-ms3d")


def test_a_damaged_chosen_model_gives_the_lodge_and_no_box(saver, tmp_path):
    (tmp_path / "broken.3ds").write_bytes(b"this is no 3DS file at all" * 10)
    saver.reg_set_text("ModelFile", winpath(tmp_path / "broken.3ds"))
    job, shot = show(saver, ["/s"], "Screensaver", "own-model-damaged")
    time.sleep(3)  # a box, had there been one, has had its time to show
    assert not job.finished(), "the saver still runs 3 s after the lodge was drawn"
    boxes = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^(Error|Warning)$"],
                           capture_output=True, text=True, env=saver.environ).stdout.split()
    assert boxes == [], "no box waits for OK on an idle desktop"
    end(saver, job)
    drawn, wood, cube = lodge_share(shot)
    assert drawn > 20000
    assert wood > 0.5 and cube < 0.02, "the built-in lodge"


def test_browse_chooses_a_model_through_the_open_dialog_and_ok_stores_it(saver, tmp_path):
    from test_dialog import DIALOG, click, label_text, wait_until, wait_until_closed
    write_teal_picture(tmp_path / "teal.jpg", 8)
    model = tmp_path / "square.ms3d"
    model.write_bytes(ms3d_square(b".\\teal.jpg"))
    job = saver.start("/c")
    saver.wait_for_window(DIALOG)
    assert label_text(saver, 161) == "Built-in lodge"
    click(saver, DIALOG, 162)  # Browse...
    saver.focus(saver.wait_for_window("Open"))
    saver.xdotool("type", "--delay", "20", winpath(model))
    saver.xdotool("key", "Return")
    wait_until_closed(saver, "Open")
    wait_until(lambda: label_text(saver, 161) == "square.ms3d", "the chosen file's name is shown")
    assert label_text(saver, 164) == "2 triangles, 1 texture"
    click(saver, DIALOG, 1)  # OK
    assert job.result().get("exit_hex") == "0x00000001"
    stored = subprocess.run([saver.wine, "reg", "query", r"HKCU\Software\VLG", "/v", "ModelFile"],
                            capture_output=True, text=True, timeout=60, env=saver.environ).stdout
    assert f"REG_SZ    {winpath(model)}" in stored, stored


def gltf_square(image_uri: str) -> dict:
    """A glTF 2.0 document of one square facing the viewer (two triangles, indexed),
    its positions, texture coordinates and indices in a data-URI buffer, its material's
    base colour texture at `image_uri`. Under a node that moves and scales it."""
    import base64
    positions = struct.pack("<12f", -1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0)
    uvs = struct.pack("<8f", 0, 1, 1, 1, 1, 0, 0, 0)
    indices = struct.pack("<6H", 0, 1, 2, 0, 2, 3)
    blob = positions + uvs + indices
    uri = "data:application/octet-stream;base64," + base64.b64encode(blob).decode()
    return {
        "asset": {"version": "2.0"},
        "scene": 0,
        "scenes": [{"nodes": [0]}],
        "nodes": [{"mesh": 0, "translation": [50, 0, 0], "scale": [3, 3, 3]}],
        "meshes": [{"primitives": [{"attributes": {"POSITION": 0, "TEXCOORD_0": 1}, "indices": 2, "material": 0}]}],
        "materials": [{"pbrMetallicRoughness": {"baseColorTexture": {"index": 0}}}],
        "textures": [{"source": 0}],
        "images": [{"uri": image_uri}],
        "buffers": [{"byteLength": len(blob), "uri": uri}],
        "bufferViews": [{"buffer": 0, "byteOffset": 0, "byteLength": 48},
                        {"buffer": 0, "byteOffset": 48, "byteLength": 32},
                        {"buffer": 0, "byteOffset": 80, "byteLength": 12}],
        "accessors": [{"bufferView": 0, "componentType": 5126, "count": 4, "type": "VEC3",
                       "min": [-1, -1, 0], "max": [1, 1, 0]},
                      {"bufferView": 1, "componentType": 5126, "count": 4, "type": "VEC2"},
                      {"bufferView": 2, "componentType": 5123, "count": 6, "type": "SCALAR"}],
    }


def test_a_chosen_textured_gltf_model_is_drawn_textured(saver, tmp_path):
    import json
    write_teal_picture(tmp_path / "teal.png", 32)
    (tmp_path / "square.gltf").write_text(json.dumps(gltf_square("teal.png")))
    assert_the_teal_square_is_drawn(saver, tmp_path / "square.gltf", "own-model-gltf")


def stl_teal_square() -> bytes:
    """A binary STL of one square facing the viewer, its two facets teal in the 15-bit
    colour with its valid bit (5 bits each: 0, 20, 20)."""
    colour = 0x8000 | (0 << 10) | (20 << 5) | 20
    facets = b"".join(struct.pack("<12fH", 0, 0, 1, *a, *b, *c, colour)
                      for a, b, c in (((0, 0, 0), (10, 0, 0), (10, 10, 0)), ((0, 0, 0), (10, 10, 0), (0, 10, 0))))
    return b"binary STL of a teal square".ljust(80, b" ") + struct.pack("<I", 2) + facets


def ply_teal_square() -> bytes:
    """An ascii PLY of the same square, teal by its vertex colours."""
    return (b"ply\nformat ascii 1.0\ncomment a scan of a teal square\nelement vertex 4\n"
            b"property float x\nproperty float y\nproperty float z\n"
            b"property uchar red\nproperty uchar green\nproperty uchar blue\n"
            b"element face 1\nproperty list uchar int vertex_indices\nend_header\n"
            b"0 0 0 0 160 160\n10 0 0 0 160 160\n10 10 0 0 160 160\n0 10 0 0 160 160\n4 0 1 2 3\n")


def test_an_stl_and_a_ply_chosen_in_the_dialog_are_shown_in_their_colours(saver, tmp_path):
    from test_dialog import DIALOG, click, label_text, wait_until, wait_until_closed
    for name, data in (("square.stl", stl_teal_square()), ("square.ply", ply_teal_square())):
        model = tmp_path / name
        model.write_bytes(data)
        job = saver.start("/c")
        saver.wait_for_window(DIALOG)
        click(saver, DIALOG, 162)  # Browse...
        saver.focus(saver.wait_for_window("Open"))
        saver.xdotool("type", "--delay", "20", winpath(model))
        saver.xdotool("key", "Return")
        wait_until_closed(saver, "Open")
        wait_until(lambda: label_text(saver, 161) == name, "the chosen file's name is shown")
        wait_until(lambda: label_text(saver, 164) == "2 triangles, 0 textures", "the file's summary")
        click(saver, DIALOG, 1)  # OK
        assert job.result().get("exit_hex") == "0x00000001"
        job, shot = show(saver, ["/s"], "Screensaver", "own-model-" + name.replace(".", "-"),
                         ready=lambda shot, box: shot.count(is_teal) > 20000, **STEADY)
        end(saver, job)
        teal = shot.count(is_teal)
        assert teal > 20000, f"{name}: the square's own colours fill a good part of the screen"
        assert shot.count(is_wood) < teal / 50, f"{name}: not the lodge"
        assert shot.count(is_cube_colour) < teal / 50, f"{name}: not the cube"
