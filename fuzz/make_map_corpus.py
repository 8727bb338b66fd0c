#!/usr/bin/env python3
"""Writes the seed corpus of the map importer fuzzer into fuzz/corpus/map/.

TMX and JSON maps of a level in every encoding the importer reads (CSV, base64 plain,
zlib, gzip and zstd, <tile> elements, JSON arrays), and maps that break one rule each.
The zstd streams come from the zstd program. Run it again after changing it; the files
are committed.
"""
import base64
import gzip
import json
import os
import struct
import subprocess
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "map")
W, H = 64, 45

# Tiles with a character in a level file, gid = tile + 1; a few empty cells (gid 0).
TILES = list(range(144)) + [202, 244, 255]
GIDS = [0 if i % 997 == 5 else TILES[(i * 7) % len(TILES)] + 1 for i in range(W * H)]


def zstd(data):
    return subprocess.run(["zstd", "-q", "-c"], input=data, capture_output=True, check=True).stdout


COMPRESS = {"": lambda b: b, "zlib": zlib.compress, "gzip": lambda b: gzip.compress(b, mtime=0),
            "zstd": zstd}


def packed(gids, compression):
    return base64.b64encode(COMPRESS[compression](struct.pack("<%dI" % len(gids), *gids))).decode()


def tmx(data, width=W, height=H, extra_layers="", tilesets=1, orientation="orthogonal"):
    tileset = ' <tileset firstgid="1" name="all" tilewidth="10" tileheight="10" tilecount="256" columns="16">\n' \
              '  <image source="all.bmp" width="160" height="160"/>\n </tileset>\n'
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            f'<map version="1.8" orientation="{orientation}" renderorder="right-down" width="{width}" '
            f'height="{height}" tilewidth="10" tileheight="10" infinite="0">\n'
            + tileset * tilesets + extra_layers +
            f' <layer id="1" name="level" width="{width}" height="{height}">\n  {data}\n </layer>\n</map>\n')


def csv(gids):
    return ",\n".join(",".join(map(str, gids[y * W:(y + 1) * W])) for y in range(H))


def json_map(data, encoding=None, compression=None, layers_before=()):
    layer = {"id": 1, "name": "level", "type": "tilelayer", "width": W, "height": H,
             "opacity": 1, "visible": True, "x": 0, "y": 0, "data": data}
    if encoding:
        layer["encoding"] = encoding
    if compression:
        layer["compression"] = compression
    return json.dumps({"type": "map", "orientation": "orthogonal", "width": W, "height": H,
                       "tilewidth": 10, "tileheight": 10, "infinite": False,
                       "layers": list(layers_before) + [layer],
                       "tilesets": [{"firstgid": 1, "name": "all", "image": "all.bmp",
                                     "imagewidth": 160, "imageheight": 160, "tilewidth": 10,
                                     "tileheight": 10, "tilecount": 256, "columns": 16}]})


def seeds():
    yield "csv.tmx", tmx(f'<data encoding="csv">\n{csv(GIDS)}\n</data>')
    for c in COMPRESS:
        attr = f' compression="{c}"' if c else ""
        yield f"base64{'-' + c if c else ''}.tmx", tmx(f'<data encoding="base64"{attr}>\n   {packed(GIDS, c)}\n  </data>')
        yield f"base64{'-' + c if c else ''}.tmj", json_map(packed(GIDS, c), "base64", c or None)
    yield "tile-elements.tmx", tmx("<data>\n" + "".join(f'   <tile gid="{g}"/>\n' if g else "   <tile/>\n" for g in GIDS) + "  </data>")
    yield "array.tmj", json_map(GIDS)
    yield "object-layer.tmx", tmx(f'<data encoding="csv">{csv(GIDS)}</data>',
                                  extra_layers=' <objectgroup id="2" name="things"><object id="1" x="5" y="5"/></objectgroup>\n')
    yield "image-layer.tmj", json_map(GIDS, layers_before=[{"type": "imagelayer", "name": "sky", "image": "sky.png"}])
    # One rule broken each.
    yield "isometric.tmx", tmx(f'<data encoding="csv">{csv(GIDS)}</data>', orientation="isometric")
    yield "short.tmx", tmx(f'<data encoding="csv">{csv(GIDS[:-2])}</data>')
    yield "flipped.tmj", json_map([g | 0x80000000 if i == 70 else g for i, g in enumerate(GIDS)])
    yield "two-tilesets.tmx", tmx(f'<data encoding="csv">{csv(GIDS)}</data>', tilesets=2)
    yield "no-character.tmj", json_map([150 if i == 3 else g for i, g in enumerate(GIDS)])
    yield "malformed.tmx", tmx(f'<data encoding="csv">{csv(GIDS)}</data>')[:-30]


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, text in seeds():
        with open(os.path.join(OUT, name), "w", encoding="utf-8") as f:
            f.write(text)


if __name__ == "__main__":
    main()
