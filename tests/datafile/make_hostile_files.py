"""Writes damaged, truncated and hostile MAT files into the folder given as
the first argument, for the loader's tests. Most are built element by element
with the small writer below (so that every declared size can be made to
lie); the truncated ones start from files that scipy writes, and the
version 7.3 one is an HDF5 file made with h5py."""
import os
import struct
import sys
import zlib

import numpy as np
import scipy.io

OUT = sys.argv[1]

miINT8, miUINT8, miINT16, miUINT16, miINT32, miUINT32 = 1, 2, 3, 4, 5, 6
miDOUBLE, miMATRIX, miCOMPRESSED, miUTF8 = 9, 14, 15, 16
miUTF32 = 18
mxCELL, mxSTRUCT, mxCHAR, mxDOUBLE = 1, 2, 4, 6


class Writer:
    def __init__(self, order="<"):
        self.o = order

    def tag(self, kind, data, pad=True):
        out = struct.pack(self.o + "II", kind, len(data)) + data
        if pad and len(out) % 8:
            out += b"\0" * (8 - len(out) % 8)
        return out

    def header(self):
        text = b"MATLAB 5.0 MAT-file, written by the loader's tests".ljust(116, b" ")
        mark = b"IM" if self.o == "<" else b"MI"
        return text + b"\0" * 8 + struct.pack(self.o + "H", 0x0100) + mark

    def matrix(self, name, cls, dims, body, flags=0, name_bytes=None):
        sub = self.tag(miUINT32, struct.pack(self.o + "II", cls | flags, 0))
        sub += self.tag(miINT32, struct.pack(self.o + "%di" % len(dims), *dims))
        sub += self.tag(miINT8, name.encode() if name_bytes is None else name_bytes)
        return self.tag(miMATRIX, sub + body)

    def doubles(self, values):
        return self.tag(miDOUBLE, struct.pack(self.o + "%dd" % len(values), *values))

    def struct_body(self, fields, members):
        width = max([len(f) for f in fields] + [0]) + 1
        names = b"".join(f.encode().ljust(width, b"\0") for f in fields)
        return self.tag(miINT32, struct.pack(self.o + "i", width)) + self.tag(miINT8, names) + members


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


w = Writer()
H = w.header()

# Text whose declared size is larger than its data, in each character form.
for kind, form, chars in [
    ("utf8", miUTF8, b"abcd"),
    ("uint8", miUINT8, b"abcd"),
    ("uint16", miUINT16, struct.pack("<4H", *b"abcd")),
    ("uint32", miUTF32, struct.pack("<4I", *b"abcd")),
]:
    write("text_overread_%s.mat" % kind, H + w.matrix("t", mxCHAR, [1, 100], w.tag(form, chars)))

# A text that declares 100000-by-100000 characters in a file of a few bytes.
write("huge_text.mat", H + w.matrix("t", mxCHAR, [100000, 100000], w.tag(miUINT16, b"a\0")))
# A double array whose dimensions multiply past any size.
write("huge_dims.mat", H + w.matrix("x", mxDOUBLE, [2**31 - 1, 2**31 - 1, 2**31 - 1], w.doubles([1])))
# A cell array that declares a billion cells.
write("huge_cell.mat", H + w.matrix("c", mxCELL, [1000000000, 1], b""))
# Negative dimensions, and a complex flag without the imaginary part.
write("negative_dims.mat", H + w.matrix("x", mxDOUBLE, [-1, 3], w.doubles([1, 2, 3])))
write("complex_no_imag.mat", H + w.matrix("z", mxDOUBLE, [1, 2], w.doubles([1, 2]), flags=0x0800))
# Fewer numbers than the dimensions declare.
write("short_data.mat", H + w.matrix("x", mxDOUBLE, [10, 10], w.doubles([1, 2, 3])))

# Names that are not names: a keyword, a leading digit, a blank, nothing.
for tag_name, name in [("keyword", "end"), ("digit", "1x"), ("blank", "a b"), ("empty", "")]:
    write("bad_name_%s.mat" % tag_name, H + w.matrix(name, mxDOUBLE, [1, 1], w.doubles([1])))
# Structures with a field twice, and with a field whose name has a blank.
one = w.matrix("", mxDOUBLE, [1, 1], w.doubles([1]))
write("struct_duplicate_field.mat",
      H + w.matrix("s", mxSTRUCT, [1, 1], w.struct_body(["a", "a"], one + one)))
write("struct_blank_field.mat",
      H + w.matrix("s", mxSTRUCT, [1, 1], w.struct_body(["a b"], one)))

# A structure array of 2^36 elements and no fields: nothing to read, so it
# loads at once (a fuzzer found the reader looping over the elements).
write("struct_no_fields_huge.mat", H + w.matrix("s", mxSTRUCT, [2**28, 2**8], w.struct_body([], b"")))

# Cells nested 20000 levels deep: each level's head is written once, from
# the innermost out, and the heads are joined in front of the innermost value.
inner = w.matrix("", mxDOUBLE, [1, 1], w.doubles([7]))
size, heads = len(inner), []
for level in range(20000):
    head = w.matrix("c" if level == 19999 else "", mxCELL, [1, 1], b"")[8:]
    size += len(head)
    heads.append(struct.pack("<II", miMATRIX, size) + head)
    size += 8
write("nested_cells.mat", H + b"".join(reversed(heads)) + inner)

# A valid file in big-endian order: it must load, with its values.
b = Writer(">")
write("big_endian.mat",
      b.header() + b.matrix("x", mxDOUBLE, [1, 3], b.doubles([1.5, -2, 3e10]))
      + b.matrix("t", mxCHAR, [1, 2], b.tag(miUINT16, struct.pack(">2H", *b"hi"))))

# A compressed variable holding an element that declares far more than the
# stream inflates to, and a compressed stream cut short.
bomb = w.matrix("x", mxDOUBLE, [1000, 1000], w.doubles([0.0] * 10))
write("compressed_short.mat", H + w.tag(miCOMPRESSED, zlib.compress(bomb), pad=False))
stream = zlib.compress(w.matrix("x", mxDOUBLE, [1, 200], w.doubles(list(range(200)))))
write("compressed_cut.mat", H + w.tag(miCOMPRESSED, stream, pad=False)[:-20])

# Decompression bombs: a variable whose stream inflates far past what its tag
# declares (50 MB of zeros after a 10-element row), and a record whose
# unwanted variable would inflate to 48 MB and is damaged past its start:
# loading just `s` and `cl` must not inflate it at all.
padded = w.matrix("x", mxDOUBLE, [1, 10], w.doubles([1.0] * 10)) + bytes(50_000_000)
write("compressed_bomb.mat", H + w.tag(miCOMPRESSED, zlib.compress(padded, 9), pad=False))
big = bytearray(zlib.compress(
    w.matrix("x", mxDOUBLE, [1, 6_000_000], w.tag(miDOUBLE, bytes(48_000_000))), 9))
big[len(big) // 2] ^= 0xFF
big[len(big) // 2 + 1] ^= 0xFF
write("unwanted_bomb.mat",
      H + w.matrix("s", mxDOUBLE, [5000, 1], w.doubles([0.5] * 5000))
      + w.tag(miCOMPRESSED, bytes(big), pad=False)
      + w.matrix("cl", mxDOUBLE, [1, 1], w.doubles([1200.0])))

# Files that scipy writes, cut short: the last 3000 bytes, and half.
scipy.io.savemat(os.path.join(OUT, "whole.mat"),
                 {"a": np.arange(1, 1001, dtype=float).reshape(1, -1), "c": "hi", "e": np.ones((50, 50))})
whole = open(os.path.join(OUT, "whole.mat"), "rb").read()
write("truncated_3000.mat", whole[:-3000])
write("truncated_half.mat", whole[: len(whole) // 2])
scipy.io.savemat(os.path.join(OUT, "whole_v4.mat"), {"e": np.ones((50, 50))}, format="4")
write("truncated_v4.mat", open(os.path.join(OUT, "whole_v4.mat"), "rb").read()[:-100])

# Not MAT files at all: empty, and a folder with the name of one.
write("empty.mat", b"")
os.makedirs(os.path.join(OUT, "folder.mat"), exist_ok=True)

# A version 7.3 (HDF5) file with a class the reader does not know.
try:
    import h5py

    path = os.path.join(OUT, "unknown_class_v73.mat")
    with h5py.File(path, "w", userblock_size=512) as f:
        d = f.create_dataset("x", data=np.ones((3, 3)))
        d.attrs["MATLAB_class"] = np.bytes_("quaternion")
    with open(path, "r+b") as f:
        text = b"MATLAB 7.3 MAT-file, written by the loader's tests".ljust(116, b" ")
        f.write(text + b"\0" * 8 + struct.pack("<H", 0x0200) + b"IM")
except ImportError:
    pass
