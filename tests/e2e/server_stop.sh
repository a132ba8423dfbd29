#!/bin/bash
# Stopping the figure server while requests wait for the host: a page's press
# runs a callback that loops, a second event waits behind it, and SIGTERM
# comes. The callback is stopped and its event answered; the waiting event
# is answered 503 (the host is stopping, nothing was done); both connections
# then end, and the host exits cleanly (under the sanitizers too).
set -u
HOST=$(realpath "$1")
LIB=$(realpath "$2")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
python3 - "$HOST" "$LIB" "$tmp" <<'PY'
import atexit, json, os, re, signal, socket, subprocess, sys, time

host, lib, tmp = sys.argv[1:4]

def fail(why):
    sys.exit("FAIL: " + why)

def wait_for(what, ready, limit=20.0):
    end = time.time() + limit
    while not ready():
        if time.time() > end:
            fail("waited for " + what)
        time.sleep(0.01)

started = os.path.join(tmp, "started")
script = os.path.join(tmp, "slow.m")
with open(script, "w") as f:
    f.write("f = figure('WindowButtonDownFcn', "
            "'fclose(fopen(''%s'', ''w'')); while true, end');\n" % started)
    f.write("fprintf('figure %d\\n', f);\n")

proc = subprocess.Popen([host, "--library", lib, "--serve", "--no-prompt", script],
                        stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
atexit.register(lambda: proc.poll() is None and proc.kill())

figure = None
for raw in proc.stdout:
    line = raw.decode()
    m = re.match(r"figure (\d+)", line)
    if m:
        figure = int(m.group(1))
    m = re.match(r"kestrel: open http://127\.0\.0\.1:(\d+)/\?token=([0-9a-f]+)", line)
    if m:
        port, token = int(m.group(1)), m.group(2)
        break
else:
    fail("the host printed no address; it says:\n" + proc.stderr.read().decode())
if figure is None:
    fail("the script printed no figure")

def post(event):
    body = json.dumps(event)
    s = socket.create_connection(("127.0.0.1", port))
    s.sendall(("POST /event?token=%s HTTP/1.1\r\nHost: 127.0.0.1:%d\r\n"
               "Content-Length: %d\r\n\r\n%s" % (token, port, len(body), body)).encode())
    return s

def read_to_end(s):
    s.settimeout(20)
    got = b""
    try:
        while True:
            chunk = s.recv(65536)
            if not chunk:
                s.close()
                return got.decode(errors="replace")
            got += chunk
    except socket.timeout:
        fail("the connection stayed open after: %r" % got)

def sockets():
    # The kernel's own view of the connections: (local port, remote port,
    # state, bytes sent but not acknowledged, bytes received but not read).
    out = []
    with open("/proc/net/tcp") as f:
        for row in f.readlines()[1:]:
            cols = row.split()
            tx, rx = (int(n, 16) for n in cols[4].split(":"))
            out.append((int(cols[1].split(":")[1], 16), int(cols[2].split(":")[1], 16),
                        cols[3], tx, rx))
    return out

def delivered():
    # Both clients' bytes have reached the server's side (acknowledged).
    mine = [s for s in sockets() if s[1] == port and s[2] == "01"]
    return len(mine) == 2 and all(s[3] == 0 for s in mine)

def read_by_server():
    # Nothing waits to be accepted, and the server has read all it got.
    mine = [s for s in sockets() if s[0] == port]
    return sum(s[2] == "01" for s in mine) == 2 and all(s[4] == 0 for s in mine)

first = post({"id": 1, "type": "press", "figure": figure, "x": 0, "y": 0})
wait_for("the press's callback to start", lambda: os.path.exists(started))
second = post({"id": 2, "type": "ping"})
wait_for("the second event to reach the server", delivered)
wait_for("the server to read the second event", read_by_server)
os.kill(proc.pid, signal.SIGTERM)

answer = read_to_end(first)
if not answer.startswith("HTTP/1.1 "):
    fail("the running event got no answer: %r" % answer)
answer = read_to_end(second)
if not answer.startswith("HTTP/1.1 503") or \
        "The host is stopping; the request was not carried out." not in answer:
    fail("the waiting event got no 503: %r" % answer)
try:
    rc = proc.wait(timeout=20)
except subprocess.TimeoutExpired:
    fail("the host did not exit after SIGTERM")
errors = proc.stderr.read().decode(errors="replace")
if rc != 0 or "Sanitizer" in errors or "runtime error" in errors:
    fail("the host ended with %d:\n%s" % (rc, errors))
PY
