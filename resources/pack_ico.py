"""pack_ico.py OUT.ico IMAGE.png...: an icon file whose images are the PNG
files as they are (Windows Vista and later read PNG icon images)."""
import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        sys.exit("not a PNG file")
    return struct.unpack(">II", data[16:24])


def main():
    out_path, image_paths = sys.argv[1], sys.argv[2:]
    images = [open(path, "rb").read() for path in image_paths]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries = b""
    for data in images:
        width, height = png_size(data)
        # A size of 256 is written as 0 in the one-byte fields.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0,
                               1, 32, len(data), offset)
        offset += len(data)
    with open(out_path, "wb") as out:
        out.write(header + entries + b"".join(images))


main()
