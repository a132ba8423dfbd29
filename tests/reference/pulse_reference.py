"""The pulse estimate in numpy, written from the mathematics: the reference
the benchmarks time against and the browser tests check the editor with."""
import numpy as np


def record(n):
    t = np.arange(1, n + 1, dtype=float)
    x = 0.5 + 0.3 * np.sin(t / 400.0) + 0.2 * np.sin(1.7 * t) * np.exp(-t / 2000.0)
    x[996::997] += 5.0
    return x


def conv_same_direct(x, k):
    full = np.convolve(x, k)
    start = len(k) // 2
    return full[start:start + len(x)]


def conv_same_fft(x, k):
    n = len(x) + len(k) - 1
    size = 1 << (n - 1).bit_length()
    full = np.fft.irfft(np.fft.rfft(x, size) * np.fft.rfft(k, size), size)[:n]
    start = len(k) // 2
    return full[start:start + len(x)]


def tpswma(x, n, p, a, conv):
    h = np.concatenate([np.ones(n - p + 1), np.zeros(2 * p - 1), np.ones(n - p + 1)])
    h = h / np.abs(h).sum()
    mx = conv(x, h[::-1])
    x = x.copy()
    ind = np.abs(x - mx) > np.abs(mx - a * mx)
    x[ind] = mx[ind]
    h2 = np.ones(len(h)) / len(h)
    return conv(x, h2[::-1])


def splice_tpsw(x, clicks, wl, wt, conv):
    fade = 20
    fd_in = np.arange(fade) / fade
    fd_out = fd_in[::-1]
    w_small = np.concatenate([fd_in, np.ones(int(wt[0])), fd_out])
    w_medium = np.concatenate([fd_in, np.ones(int(wt[1])), fd_out])
    X = np.column_stack([tpswma(x, int(np.floor(w / 2 + 0.5)), 5, 2, conv) for w in wl])
    le = X.shape[0]
    for sp1 in clicks:
        r = sp1 - fade - 1 + np.arange(1, 2 * fade + int(wt[0]) + 1)
        if r.max() <= le:
            X[r - 1, 2] = (1 - w_small) * X[r - 1, 2] + w_small * X[r - 1, 0]
        sp2 = sp1 + int(wt[0])
        r = sp2 - fade - 1 + np.arange(1, 2 * fade + int(wt[1]) + 1)
        if r.max() <= le:
            X[r - 1, 2] = (1 - w_medium) * X[r - 1, 2] + w_medium * X[r - 1, 1]
    out = X[:, 2].copy()
    nn = 2049
    hhw = 0.5 * (1 - np.cos(2 * np.pi * np.arange(1, nn + 1) / (nn + 1)))[1024:]
    out[-len(hhw):] *= hhw
    return out


def piecefit(x, winl, po):
    seg = int(np.floor(winl + 0.5))
    while seg % 4:
        seg -= 1
    sp = seg * 3 // 4
    w = 0.5 * (1 - np.cos(2 * np.pi * np.arange(1, seg + 1) / (seg + 1))) / 2
    basis = np.arange(1, seg + 1, dtype=float)
    out = np.zeros(len(x))
    for k in range((len(x) - sp) // (seg - sp)):
        idx = k * (seg - sp) + np.arange(seg)
        p = np.polyfit(basis, x[idx], po)
        out[idx] += np.polyval(p, basis) * w
    return out


def pulse_estimate(seg, lpoly, fit, markers=(1200, 1700, 2750), windows=(41, 201, 801)):
    """The editor's estimate: TPSW with the small, medium and large windows
    spliced from the first marker on, smoothed by the piecewise fit."""
    t1, t2, t3 = markers
    pe = splice_tpsw(seg, [t1], list(windows), [t2 - t1, t3 - t2], conv_same_fft)
    return piecefit(pe, lpoly, 2) if fit else pe
