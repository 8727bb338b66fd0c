#!/usr/bin/env python3
"""Writes the seed corpus of the tile sheet fuzzer into fuzz/corpus/bmp/.

Small BMP files of every depth and compression the loader meets, sound ones and ones
that break a single rule, written byte by byte so that the seeds do not come from any
image library. Run it again after changing it; the files are committed.
"""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "bmp")


def info_header(width, height, bits, compression=0, image_bytes=0, colours=0, size=40):
    header = struct.pack("<IiiHHIIiiII", size, width, height, 1, bits, compression,
                         image_bytes, 2835, 2835, colours, 0)
    return header + b"\0" * (size - 40)


def bmp(dib, palette=b"", pixels=b"", extra=b""):
    offset = 14 + len(dib) + len(extra) + len(palette)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + dib + extra + palette + pixels


def palette(colours):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)


GREYS = [(i * 17, i * 17, i * 17) for i in range(16)]


def rows(width, height, bits, value):
    """Uncompressed pixel rows, each padded to 4 bytes; value(x, y) gives the pixel."""
    data = b""
    for y in range(height):
        bitsrow = 0
        row = bytearray((width * bits + 31) // 32 * 4)
        for x in range(width):
            v = value(x, y)
            if bits >= 8:
                row[x * bits // 8: x * bits // 8 + bits // 8] = v.to_bytes(bits // 8, "little")
            else:
                bit = x * bits
                row[bit // 8] |= v << (8 - bits - bit % 8)
        data += bytes(row)
    return data


def uncompressed(width, height, bits, colours=None, **header):
    pal = palette(colours) if colours else b""
    if bits <= 8:
        value = lambda x, y: (x + y) % (len(colours))
    else:
        value = lambda x, y: (x * 40 + y * 7) % (1 << min(bits, 24))
    data = rows(width, abs(height), bits, value)
    return bmp(info_header(width, height, bits, image_bytes=len(data),
                           colours=len(colours) if colours else 0, **header), pal, data)


def rle8(width, height):
    data = b""
    for y in range(height):
        data += bytes([width - 3, y % 4]) + bytes([0, 3, 1, 2, 3, 0]) + b"\0\0"
    data = data[:-2] + b"\0\1"
    return bmp(info_header(width, height, 8, 1, len(data), 4), palette(GREYS[:4]), data)


def rle4(width, height):
    data = b""
    for y in range(height):
        data += bytes([width - 4, 0x12]) + bytes([0, 4, 0x34, 0x56]) + b"\0\0"
    data = data[:-2] + b"\0\1"
    return bmp(info_header(width, height, 4, 2, len(data), 16), palette(GREYS), data)


def core_header(width, height):
    dib = struct.pack("<IhhHH", 12, width, height, 1, 24)
    return bmp(dib, b"", rows(width, height, 24, lambda x, y: x * 1000 + y))


def bitfields(width, height, bits, masks):
    data = rows(width, height, bits, lambda x, y: (x * 977 + y * 131) % (1 << bits))
    return bmp(info_header(width, height, bits, 3, len(data)), b"", data,
               extra=struct.pack("<III", *masks))


def patched(data, offset, fmt, value):
    data = bytearray(data)
    struct.pack_into(fmt, data, offset, value)
    return bytes(data)


def main():
    os.makedirs(OUT, exist_ok=True)
    two = [(0, 0, 0), (255, 255, 255)]
    sound24 = uncompressed(12, 7, 24)
    files = {
        "1bit.bmp": uncompressed(13, 5, 1, two),
        "4bit.bmp": uncompressed(9, 4, 4, GREYS),
        "8bit.bmp": uncompressed(10, 10, 8, GREYS),
        "8bit-short-palette.bmp": uncompressed(6, 3, 8, GREYS[:3]),
        "16bit.bmp": uncompressed(7, 3, 16),
        "24bit.bmp": sound24,
        "24bit-top-down.bmp": uncompressed(12, -7, 24),
        "32bit.bmp": uncompressed(5, 5, 32),
        "v4-header.bmp": uncompressed(4, 4, 24, size=108),
        "v5-header.bmp": uncompressed(4, 4, 32, size=124),
        "core-header.bmp": core_header(6, 3),
        "rle8.bmp": rle8(20, 6),
        "rle4.bmp": rle4(21, 5),
        "bitfields16.bmp": bitfields(6, 4, 16, (0xF800, 0x07E0, 0x001F)),
        "bitfields32.bmp": bitfields(6, 4, 32, (0xFF0000, 0xFF00, 0xFF)),
        "bitfields-zero-mask.bmp": bitfields(6, 4, 32, (0xFF0000, 0, 0xFF)),
        "truncated-rows.bmp": sound24[:-40],
        "truncated-header.bmp": sound24[:30],
        "truncated-rle.bmp": rle8(20, 6)[:-9],
        "huge-dimensions.bmp": patched(patched(sound24, 18, "<i", 5000), 22, "<i", 5000),
        "huge-negative-height.bmp": patched(sound24, 22, "<i", -0x7FFFFFFF),
        "zero-width.bmp": patched(sound24, 18, "<i", 0),
        "negative-width.bmp": patched(sound24, 18, "<i", -12),
        "bit-depth-7.bmp": patched(sound24, 28, "<H", 7),
        "compression-99.bmp": patched(sound24, 30, "<I", 99),
        "palette-100000.bmp": patched(uncompressed(4, 4, 8, GREYS), 46, "<I", 100000),
        "offset-beyond-file.bmp": patched(sound24, 10, "<I", 100000),
        "header-size-0.bmp": patched(sound24, 14, "<I", 0),
        "bad-magic.bmp": b"MB" + sound24[2:],
        "empty.bmp": b"",
    }
    for name, data in files.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
