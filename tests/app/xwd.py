"""Reads the xwd dumps the X-server tests take (24-bit TrueColor, 32 bits a pixel)."""
import struct
import sys


class Dump:
    def __init__(self, path):
        data = open(path, "rb").read()
        h = struct.unpack(">25I", data[:100])
        header_size, self.width, self.height = h[0], h[4], h[5]
        byte_order, bpp, self._line = h[7], h[11], h[12]
        ncolors = h[19]
        if bpp != 32:
            sys.exit("unexpected depth %d" % bpp)
        self._pixels = data[header_size + ncolors * 12:]
        self._format = "<I" if byte_order == 0 else ">I"

    def rgb(self, x, y):
        at = y * self._line + x * 4
        v = struct.unpack(self._format, self._pixels[at: at + 4])[0]
        return (v >> 16) & 255, (v >> 8) & 255, v & 255
