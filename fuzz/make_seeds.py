#!/usr/bin/env python3
"""Writes the fuzz targets' seed inputs into fuzz/seeds/<target>/: small valid inputs, so that each
run starts past the first checks. Run from the repository root:  python3 fuzz/make_seeds.py
"""
import os
import struct
import zlib

SEEDS = os.path.join("fuzz", "seeds")


def write(path, data):
    full = os.path.join(SEEDS, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "wb") as out:
        out.write(data if isinstance(data, bytes) else data.encode())


def read(path):
    with open(path, "rb") as source:
        return source.read()


def tga(width, height, rle=False):
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 10 if rle else 2, 0, 0, 0, 0, 0, width, height, 32, 8)
    if rle:
        body = b"".join(bytes([0x80 | (width - 1), (y * 40) % 256, 0, 0, 255]) for y in range(height))
    else:
        body = b"".join(bytes([(x * 40) % 256, (y * 40) % 256, 128, 255]) for y in range(height) for x in range(width))
    return header + body


def png(width, height):
    rows = b"".join(b"\x00" + b"".join(bytes([(x * 60) % 256, (y * 60) % 256, 100]) for x in range(width))
                    for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def main():
    write("packet_parser/reliable_ping", b"\202\233\001\000\007\000\013\000\000\002\006")
    write("packet_parser/server_search", b"\002\233\001\000\001\000\013\000\000\002\001")
    write("packet_parser/ack", b"\002\233\001\000\002\000\015\000\000\004\013\064\022")
    write("packet_parser/peer_list",
          b"\202\233\002\000\003\000\030\000\000\015\010\001\037\100\177\000\000\003\011\000\000\000\002\011")

    # Game events: a start of the race, a racer creation of a loaded model and an effect change.
    write("event_socket/start_race", b"\020")
    write("event_socket/racer",
          b"\001\017MonkeyModelData\050\000\000\000\003\000\000\000\001\000\001\000\000\000"
          b"\000\000\300\077\000\000\000\300\000\000\100\100")
    write("event_socket/change_fx", b"\026\007Glow.fx\005Shine\050\000\000\000")

    # Text message: id 0, text length, text, 32-bit value.
    write("text_message/hello", b"\x00\x05hello" + struct.pack("<I", 42))
    write("text_message/empty", b"\x00\x00" + struct.pack("<I", 7))

    config = read("data/files/xmlfiles/tumbo_kelvo_engine_config.xml").decode()
    write("xml_reader/engine_config.xml", config)
    write("xml_reader/list.xml", "<Items>\n<Item>\n<Name>a</Name>\n</Item>\n<Item>\n<Name>b</Name>\n</Item>\n</Items>\n")
    write("engine_config/engine_config.xml", config)
    write("engine_config/effects.xml", config.replace(
        "<FileName></FileName>", "<FileName>Dummy.fx</FileName>\n\t\t</FX>\n\t\t<FX>\n\t\t\t<FileName>Water.fx</FileName>"))

    for name in ["data/files/fx/Dummy.fx", "data/files/fx/DeviceBench.fx", "tests/platform/d3d9/data/quad.fx"]:
        write("effect/" + os.path.basename(name), read(name))

    write("texture/small.tga", tga(4, 4))
    write("texture/rle.tga", tga(4, 2, True))
    write("texture/cube_strip.tga", tga(12, 2))
    write("texture/small.png", png(4, 4))

    write("xfile/test_column.x", read("data/arts/models/D3D_X_files/test_column.x"))
    quad = "4; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;, 0.0;1.0;0.0;;\n2; 3;0,1,2;, 3;0,2,3;;\n"
    write("xfile/coloured_quad.x",
          "xof 0303txt 0032\nFrame F {\n"
          " FrameTransformMatrix { 1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;; }\n"
          " Mesh Q {\n" + quad +
          " MeshNormals { 1; 0.0;0.0;1.0;; 2; 3;0,0,0;, 3;0,0,0;; }\n"
          " MeshTextureCoords { 4; 0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;; }\n"
          " MeshVertexColors { 4; 0;1.0;0.0;0.0;1.0;;, 1;0.0;1.0;0.0;1.0;;, 2;0.0;0.0;1.0;1.0;;, 3;1.0;1.0;1.0;0.5;;; }\n"
          " MeshMaterialList { 2; 2; 0,1;;\n"
          "  Material Red { 1.0;0.0;0.0;1.0;; 1.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { \"red.tga\"; } }\n"
          "  {Blue} }\n"
          " }\n}\n"
          "Material Blue { 0.0;0.0;1.0;1.0;; 1.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }\n")

    # Grid file: the level's vertex, index and cell counts (one byte each), then the file.
    vertex = struct.pack("<15f", *([0.0] * 15))
    cell = struct.pack("<15f", 0, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 1, 0.5, 0, 0.5)
    slope = struct.pack("<15f", 1, 0, 0, 2, 0.5, 0, 2, 0.5, 1, 1, 0, 1, 1, 0, 0)
    write("grid_file/one_cell", bytes([4, 6, 1]) + vertex * 4 + struct.pack("<6H", 0, 1, 2, 0, 2, 3) + cell)
    write("grid_file/two_cells", bytes([0, 0, 2]) + cell + slope)

    # Height map: columns, rows, spacings, centre, a flag, the heights, then queries (x, z, y, ray).
    heights = struct.pack("<16f", *[float(i % 3) for i in range(16)])
    write("height_map/four_by_four",
          bytes([4, 4]) + struct.pack("<4f", 1.0, 1.0, 0.0, 0.0) + b"\x01" + heights +
          struct.pack("<6f", 0.5, 0.5, 5.0, 1.0, -0.2, 0.3) + struct.pack("<6f", -1.0, -1.0, 3.0, 0.0, -1.0, 0.0))
    write("height_map/wide_spacing",
          bytes([8, 3]) + struct.pack("<4f", 1000.0, 0.01, 0.0, 0.0) + b"\x01" + struct.pack("<24f", *[1.0] * 24) +
          struct.pack("<6f", 0.0, 0.0, 2.0, 1.0, -0.1, 0.001))

    # Height map image: columns and rows (one byte each), then the image.
    write("height_image/four_by_four.png", bytes([3, 2]) + png(4, 4))
    write("height_image/wide.tga", bytes([8, 1]) + tga(12, 2))

    write("input_script/keys_and_mouse.txt",
          "# frame event args\n1 key_down Return\n2 key_up Return\n10 text hello world\n20 mouse_move 400 300\n"
          "21 mouse_down left 400 300\n22 mouse_up left 400 300\n30 wheel -2\n0 key_down Left Shift\n")
    write("input_script/mouse_far.txt",
          "1 mouse_move -1000000000 0\n2 mouse_move 1000000000 5\n3 wheel 1000\n4 wheel -1000\n")

    # A model's two files, the model file first and a NUL byte between them; "none" models have
    # an empty model part.
    xml = "data/files/xmlfiles/"
    for model, instance in [("monkey.xml", "monkey_instance.xml"), ("light.xml", "light_instance.xml"),
                            ("rock.xml", "rock_instance.xml"), ("log1.xml", "log1_instance.xml"),
                            ("item_jug.xml", "item_jug_instance.xml"), (None, "River20.xml"),
                            (None, "terrain1.xml")]:
        body = (read(xml + model) if model else b"") + b"\0" + read(xml + instance)
        write("instance/" + instance, body)
    for name in ["water1.xml", "River20.xml", "River23.xml"]:
        write("water/" + name, read(xml + name))
    for name in ["terrain1.xml", "terrain5.xml"]:
        write("terrain/" + name, read(xml + name))
    for name in ["race_track1.xml", "race_track2.xml", "race_track3.xml"]:
        write("level/" + name, read(xml + name))
    for name in sorted(os.listdir(xml + "particle_sys")):
        write("particle/" + name, read(xml + "particle_sys/" + name))
    # A template with an emission beyond its limit, no life, an inverted colour range and huge sizes.
    default = read(xml + "particle_sys/default_system.xml").decode()
    write("particle/hostile_values.xml", default
          .replace("<sys_emit_rate>1</sys_emit_rate>", "<sys_emit_rate>1e10</sys_emit_rate>")
          .replace("<sys_is_infinite>1</sys_is_infinite>", "<sys_is_infinite>0</sys_is_infinite>")
          .replace("<sys_life>0</sys_life>", "<sys_life>nan</sys_life>")
          .replace("<sys_radius>4</sys_radius>", "<sys_radius>nan</sys_radius>")
          .replace("<sys_ColorInit>normal_color_init</sys_ColorInit>", "<sys_ColorInit>random_color_init</sys_ColorInit>")
          .replace("<xMax>1</xMax>", "<xMax>1e30</xMax>", 1)
          .replace("<functor_data>", "<functor_data>\n\t\t<random_color_init>\n\t\t\t<red_low_range>200</red_low_range>"
                   "\n\t\t\t<red_high_range>10</red_high_range>\n\t\t</random_color_init>"))
    items = read(xml + "items.xml").decode()
    write("item_odds/items.xml", items)
    write("item_odds/hostile_values.xml", items.replace("<RankValue>6</RankValue>", "<RankValue>4294967295</RankValue>")
          .replace("<Percentage>30</Percentage>", "<Percentage>-1</Percentage>", 1)
          .replace("<Percentage>20</Percentage>", "<Percentage>4294967295</Percentage>", 1))
    for name in ["RaceCameraInit.xml", "FreeRoamCameraInit.xml"]:
        write("camera_file/" + name, read(xml + name))
    race_camera = read(xml + "RaceCameraInit.xml").decode()
    write("camera_file/hostile_values.xml", race_camera.replace("<Radius>7.0711</Radius>", "<Radius>nan</Radius>")
          .replace("<FOV>0.7854</FOV>", "<FOV>0</FOV>").replace("<Far>2000</Far>", "<Far>-1e30</Far>"))
    for name in ["stage1_line.txt", "stage1_rank.txt"]:
        write("waypoint/" + name, read("data/files/waypoints/" + name))
    write("waypoint/hostile_points.txt", "hostile\n1 2 3 \nnan 0 0 \n4 1e30 6 \ninf -inf 1 \n7 8 9 \n")
    write("waypoint/one_point.txt", "single\n1 2 3 \n")
    # The screen's number (as the target counts them), then its layout file.
    layouts = ["StartMenu.xml", "CharacterSelection.xml", "MultiplayerMenu.xml", "MultiplayerMenu.xml",
               "StartRaceInit.xml", "EndRace.xml", "InGameMenu.xml", "VictoryScreen.xml", "NorvaleSplash.xml",
               "CreditsMenu.xml", "CursorInit.xml"]
    for pick, name in enumerate(layouts):
        write("screen_layout/%02d_%s" % (pick, name), bytes([pick]) + read(xml + name))

    # The script values the start script sets, in the target's records: the name's number, the
    # kind (0 number, 1 string, 2 boolean), then the value.
    names = ["NUM_RACERS", "STAGE1_X", "STAGE1_Y", "STAGE1_Z", "STAGE1_RACER_DX", "STAGE1_RACER_DZ",
             "STAGE1_RACERS_PER_ROW", "RANK_PATH", "RANK_PATH_DENSITY", "RIVER_SPEED", "ROTATIONAL_PHYSICS",
             "RECORD_INPUT"]
    records = b""
    for line in read("run/tumbo/kelvo/game/Scripts/StartGame.LUA").decode().splitlines():
        name, _, value = line.partition(" = ")
        if name not in names:
            continue
        value = value.strip()
        if value.startswith('"'):
            text = value.strip('"').encode()
            records += bytes([names.index(name), 1, len(text)]) + text
        elif value in ("true", "false"):
            records += bytes([names.index(name), 2, 1 if value == "true" else 0])
        else:
            records += bytes([names.index(name), 0]) + struct.pack("<d", float(value))
    write("script_values/start_game", records)


if __name__ == "__main__":
    main()
