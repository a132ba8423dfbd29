#!/bin/bash
# The prompt at a terminal, driven through a pseudo-terminal as a person
# types: Up and Enter repeat a line, Tab completes a function name, Ctrl-C
# stops a running loop and the prompt comes back, Ctrl-C at the prompt drops
# the line, a block continues until its end, and the history is kept in its
# file for the next session.
set -u
HOST=$(realpath "$1")
LIB=$(realpath "$2")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export KESTREL_HISTORY="$tmp/history"
exec python3 - "$HOST" "$LIB" <<'PY'
import atexit, os, pty, select, signal, sys, time

host, lib = sys.argv[1], sys.argv[2]

def kill_quietly(pid):
    try:
        os.kill(pid, signal.SIGKILL)
        os.waitpid(pid, 0)
    except (ProcessLookupError, ChildProcessError):
        pass

def session(keys):
    """Runs the host in a pseudo-terminal, types each (text, wait-for) pair
    (waiting until the screen so far contains wait-for), and returns all
    that was shown."""
    pid, fd = pty.fork()
    if pid == 0:
        os.execv(host, [host, "--library", lib])
    # A failing check leaves no host behind (one in a loop would spin).
    atexit.register(kill_quietly, pid)
    shown = b""
    def read_until(marker, limit=20.0):
        nonlocal shown
        end = time.time() + limit
        while marker.encode() not in shown:
            left = end - time.time()
            if left <= 0:
                sys.exit("FAIL: waited for %r; the screen shows:\n%s" % (marker, shown.decode(errors="replace")))
            r, _, _ = select.select([fd], [], [], left)
            if r:
                try:
                    chunk = os.read(fd, 4096)
                except OSError:
                    chunk = b""
                if not chunk:
                    sys.exit("FAIL: the host ended; the screen shows:\n%s" % shown.decode(errors="replace"))
                shown += chunk
    read_until(">> ")
    time.sleep(0.2)
    for text, marker, prompt in keys:
        mark = len(shown)
        os.write(fd, text.encode())
        # The marker must appear in what comes after this input, and then
        # (when the line ends) the next prompt: the line has run by then.
        wanted = [marker] + ([">> "] if prompt else [])
        end = time.time() + 20
        for w in wanted:
            while w.encode() not in shown[mark:]:
                if time.time() > end:
                    sys.exit("FAIL: after %r waited for %r; the screen shows:\n%s" % (text, w, shown.decode(errors="replace")))
                r, _, _ = select.select([fd], [], [], 0.5)
                if r:
                    shown += os.read(fd, 4096)
            mark = shown.index(w.encode(), mark) + len(w)
        # The editor shows its prompt just before it takes the terminal
        # over: what is typed in between is the terminal's to echo (and a
        # Ctrl-C there drops it), so a person's pause is kept.
        time.sleep(0.2)
    os.write(fd, b"\x04")  # Ctrl-D leaves
    _, status = os.waitpid(pid, 0)
    if status != 0:
        sys.exit("FAIL: the host exited with status %d:\n%s" % (status, shown.decode(errors="replace")))
    return shown.decode(errors="replace")

first = session([
    ("x = 20 + 22\r", "42", True),
    ("\x1b[A\r", "42", True),               # Up, Enter: the same line again
    # Tab completes the name (else "polyf" is undefined): the fit's slope.
    ("p = polyf\t([1 2 3], [2 4 6], 1); slope = round(p(1))\r", "     2\r\n", True),
    ("while true, end\r", "end\r\n", False),  # read and running
    ("\x03", "Interrupted.", True),          # Ctrl-C stops the loop
    ("half typed", "typed", False),
    ("\x03", ">> ", False),                  # Ctrl-C drops the line
    ("for k = 1:2\r", "\n", False),           # a block goes on to its end
    ("disp(k * 100)\r", "\n", False),
    ("end\r", "200\r\n", True),
    ("last = 6 * 7\r", "42", True),
])
if first.count("42") < 2:
    sys.exit("FAIL: Up and Enter did not repeat the line:\n" + first)
if "Undefined" in first or "slope =\r\n\r\n     2" not in first:
    sys.exit("FAIL: Tab did not complete polyf to polyfit:\n" + first)
history = open(os.environ["KESTREL_HISTORY"], errors="replace").read()
if "x\\040=\\04020\\040+\\04022" not in history and "x = 20 + 22" not in history:
    sys.exit("FAIL: the history file does not hold the line:\n" + history)
# A new session finds the last line of the one before with Up.
second = session([("\x1b[A\r", "last =", True)])
# A terminal that goes away in the middle of a loop ends the host.
pid, fd = pty.fork()
if pid == 0:
    os.execv(host, [host, "--library", lib])
time.sleep(0.5)
os.write(fd, b"while true, end\r")
time.sleep(0.5)
os.close(fd)  # the terminal hangs up
end = time.time() + 10
ended = False
while time.time() < end and not ended:
    ended = os.waitpid(pid, os.WNOHANG) != (0, 0)
    time.sleep(0.05)
if not ended:
    kill_quietly(pid)
    sys.exit("FAIL: the host kept running its loop after the terminal hung up")
print("terminal prompt: ok")
PY
