"""Pixels of a PNG file as rows of (r, g, b) tuples: 8-bit grey, RGB, palette and RGBA
images without interlacing, which is what Qt and Chromium write."""

import struct
import zlib


def _chunks(data):
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG file"
    at = 8
    while at < len(data):
        (length,) = struct.unpack(">I", data[at : at + 4])
        yield data[at + 4 : at + 8], data[at + 8 : at + 8 + length]
        at += 12 + length


def _unfiltered(raw, width, height, channels):
    stride = width * channels
    rows, previous, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1 : at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up, corner = previous[i], previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                near = min((abs(p - left), 0, left), (abs(p - up), 1, up), (abs(p - corner), 2, corner))
                line[i] = (line[i] + near[2]) & 255
        rows.append(line)
        previous = line
    return rows


def read_png(path):
    with open(path, "rb") as file:
        data = file.read()
    idat, palette = b"", None
    for kind, body in _chunks(data):
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and interlace == 0, "only 8-bit PNG files without interlacing"
        elif kind == b"PLTE":
            palette = [tuple(body[i : i + 3]) for i in range(0, len(body), 3)]
        elif kind == b"IDAT":
            idat += body
    channels = {0: 1, 2: 3, 3: 1, 6: 4}[colour]
    rows = _unfiltered(zlib.decompress(idat), width, height, channels)
    if colour == 3:
        return [[palette[v] for v in row] for row in rows]
    if colour == 0:
        return [[(v, v, v) for v in row] for row in rows]
    return [[tuple(row[i : i + 3]) for i in range(0, len(row), channels)] for row in rows]
