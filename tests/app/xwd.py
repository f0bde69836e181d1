"""Reads an xwd dump of a window (24-bit TrueColor, 32 bits a pixel)."""
import struct


class Shot:
    def __init__(self, path):
        data = open(path, "rb").read()
        h = struct.unpack(">25I", data[:100])
        header_size, self.width, self.height = h[0], h[4], h[5]
        self._order = "<I" if h[7] == 0 else ">I"
        bpp, self._line, ncolors = h[11], h[12], h[19]
        if bpp != 32:
            raise ValueError("unexpected depth %d" % bpp)
        self._pixels = data[header_size + ncolors * 12:]

    def rgb(self, x, y):
        offset = y * self._line + x * 4
        v = struct.unpack(self._order, self._pixels[offset:offset + 4])[0]
        return (v >> 16) & 255, (v >> 8) & 255, v & 255

    def box(self, test, step=2):
        """The bounding box (left, top, right, bottom) of the pixels that pass `test`."""
        xs, ys = [], []
        for y in range(0, self.height, step):
            for x in range(0, self.width, step):
                if test(*self.rgb(x, y)):
                    xs.append(x)
                    ys.append(y)
        return (min(xs), min(ys), max(xs), max(ys)) if xs else None
