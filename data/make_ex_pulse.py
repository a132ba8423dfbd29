#!/usr/bin/python3
"""Writes ex_pulse.mat: a synthetic pulse record for the pulse editor.

s  -- 6000 samples: a low background of coloured noise, a click at sample 1200
      and a decaying oscillation after it, scaled to stay within [-1, 1].
cl -- the click position (sample index, 1-based).

Run with Debian's python3 (scipy.io): /usr/bin/python3 data/make_ex_pulse.py
"""
import os

import numpy as np
import scipy.io

rng = np.random.default_rng(20260)
n = 6000
cl = 1200

noise = rng.normal(0.0, 0.02, n)
background = np.convolve(noise, np.ones(5) / 5.0, mode="same")
t = np.arange(n) - (cl - 1)
pulse = np.where(t >= 0, 0.8 * np.exp(-np.maximum(t, 0) / 400.0) *
                 np.sin(2 * np.pi * np.maximum(t, 0) / 90.0), 0.0)
s = (background + pulse).reshape(-1, 1)

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "ex_pulse.mat")
scipy.io.savemat(out, {"s": s, "cl": float(cl)}, format="5", oned_as="column")
