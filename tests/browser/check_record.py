#!/usr/bin/python3
"""Checks a record the page exported: its estimate must be the reference
estimate of its own record and settings. Prints the settings and the
largest difference; exits 1 when they disagree."""
import os
import sys

import numpy as np
import scipy.io

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "reference"))
from pulse_reference import pulse_estimate  # noqa: E402


def main(path):
    m = scipy.io.loadmat(path)
    get = lambda k: float(np.asarray(m[k]).ravel()[0])  # noqa: E731
    s = np.asarray(m["s"], dtype=float).ravel()
    markers = tuple(int(get(k)) for k in ("T1", "T2", "T3"))
    windows = tuple(int(get(k)) for k in ("Nsmall", "Nmedium", "Nlarge"))
    ref = pulse_estimate(s, get("Lpoly"), get("pf") != 0, markers, windows)
    got = np.asarray(m["estimate"], dtype=float).ravel()
    diff = float(np.max(np.abs(got - ref)))
    scale = float(np.max(np.abs(ref)))
    print(f"markers={markers} windows={windows} Lpoly={get('Lpoly'):g} pf={get('pf'):g} "
          f"max|diff|={diff:.3g} (of {scale:.3g})")
    return 0 if diff <= 1e-9 * max(scale, 1.0) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
