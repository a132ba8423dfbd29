"""Writes the seed corpus of the MAT-file fuzz target into fuzz/corpus/matfile:
small valid files of every form and class the readers take (written by
scipy), and the small damaged ones of the loader's tests."""
import os
import shutil
import subprocess
import sys
import tempfile

import numpy as np
import scipy.io

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus", "matfile")
os.makedirs(OUT, exist_ok=True)

cell = np.empty((1, 2), dtype=object)
cell[0, 0] = "abc"
cell[0, 1] = np.array([[1.0, 2.0]])
values = {
    "d": np.array([[1.5, -2.0, 3.0]]), "z": np.array([[1 + 2j, 3 - 4j]]), "t": "pulse",
    "u": "\u00e9t\u00e9", "flag": np.array([[True, False]]), "nd": np.arange(8.0).reshape((2, 2, 2)),
    "c": cell, "st": {"a": 1.5, "b": "x"}, "e": np.zeros((0, 3)),
}
scipy.io.savemat(os.path.join(OUT, "v5_plain.mat"), values)
scipy.io.savemat(os.path.join(OUT, "v5_compressed.mat"), values, do_compression=True)
scipy.io.savemat(os.path.join(OUT, "v5_int32.mat"), {"i": np.array([[1, 2]], dtype=np.int32)})
# A record beside a compressed variable that inflates to 800 kB: the target
# also loads just `s` and `cl`, which must pass over it.
scipy.io.savemat(os.path.join(OUT, "record_with_extra.mat"),
                 {"s": np.linspace(-1.0, 1.0, 50).reshape(-1, 1), "cl": 12.0, "x": np.zeros((1, 100000))},
                 do_compression=True)
scipy.io.savemat(os.path.join(OUT, "v4.mat"), {"d": np.array([[1.5, 2.0]]), "t": "hi"}, format="4")

with tempfile.TemporaryDirectory() as tmp:
    subprocess.run([sys.executable, os.path.join(HERE, "..", "tests", "datafile", "make_hostile_files.py"), tmp],
                   check=True)
    for name in sorted(os.listdir(tmp)):
        path = os.path.join(tmp, name)
        if os.path.isfile(path) and 0 < os.path.getsize(path) <= 4096 and "v73" not in name:
            shutil.copy(path, os.path.join(OUT, "damaged_" + name))
