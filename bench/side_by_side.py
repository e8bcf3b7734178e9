#!/usr/bin/python3
"""Kalvane beside a bare Qt window under Xvfb: start-up, idle memory, CPU while polling, and a flood;
then the same paced stream again with --journal.

usage: side_by_side.py BARE KALVANE [KALVANE...]
Each KALVANE is started on a fresh pseudo-terminal of this script's, named on its command line. Several are
measured in the same run, interleaved, so that builds compare fairly. Each must take a port on its command
line (83c105e and later): an older build would open port 1, here perhaps the system console. The first is
measured once more on the same stream served by ser2net on loopback (rfc2217://), unless BENCH_REMOTE=0.
"""
import os
import select
import socket
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import tty

from Xlib import X, display
from Xlib.protocol import event

ROUNDS = int(os.environ.get("BENCH_ROUNDS", 3))
STARTS = int(os.environ.get("BENCH_STARTS", 20))
POLL_S = float(os.environ.get("BENCH_POLL_S", 30))
FLOOD_S = float(os.environ.get("BENCH_FLOOD_S", 10))
CLIENT_HEIGHT = 469  # the window's client area below the menu bar, in pixels
START_BUTTON = (448, 440)  # the middle of "пуск" in the client area
TICK = os.sysconf("SC_CLK_TCK")


def start_xvfb():
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
                             "-nolisten", "tcp"], pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            sys.exit("Xvfb did not start")
        number += chunk
    os.close(read_end)
    return xvfb, ":" + number.decode().strip()


class Pty:
    """A pseudo-terminal: the program opens its path, the benchmark writes to the master."""

    def __init__(self):
        self.master, slave = os.openpty()
        self.path = os.ttyname(slave)
        tty.setraw(slave)  # kept while the master is open, so nothing is echoed before the program opens it
        os.close(slave)

    def close(self):
        os.close(self.master)


class Ser2net:
    """ser2net on a free loopback port serving a pseudo-terminal whose master the benchmark writes to."""

    def __init__(self, directory):
        self.master, self.slave = os.openpty()  # the slave stays open here, so ser2net's close hangs up nothing
        tty.setraw(self.slave)
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            self.port = probe.getsockname()[1]
        self.path = f"rfc2217://127.0.0.1:{self.port}"
        config = os.path.join(directory, "ser2net.yaml")
        with open(config, "w") as f:
            f.write("connection: &bench\n"
                    f"  accepter: telnet(rfc2217),tcp,127.0.0.1,{self.port}\n"
                    f"  connector: serialdev,{os.ttyname(self.slave)},9600n81,local\n")
        self.process = subprocess.Popen(["ser2net", "-n", "-u", "-c", config, "-P",
                                         os.path.join(directory, "ser2net.pid")], stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while not self.listening():
            if time.monotonic() > deadline or self.process.poll() is not None:
                sys.exit("ser2net did not start")
            time.sleep(0.05)

    def listening(self):
        with open("/proc/net/tcp") as table:
            return any(f.split()[1].endswith(":%04X" % self.port) and f.split()[3] == "0A"
                       for f in list(table)[1:])

    def close(self):
        """The server outlives each launch of the program."""

    def stop(self):
        self.process.terminate()
        self.process.wait(10)
        os.close(self.master)
        os.close(self.slave)


REMOTES = {}  # a label in the table: the program, and the ser2net serving its stream


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK  # utime, stime


def rss_mib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return float("nan")


class Screen:
    """An X client that sees windows map on the root and pings them the way a window manager does."""

    def __init__(self, name):
        self.name = name
        self.d = display.Display(name)
        self.root = self.d.screen().root
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask | X.StructureNotifyMask)
        self.protocols = self.d.intern_atom("WM_PROTOCOLS")
        self.ping_atom = self.d.intern_atom("_NET_WM_PING")
        self.serial = 0
        self.d.sync()

    def next_event(self, deadline):
        while not self.d.pending_events():
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.d], [], [], left)[0]:
                return None
        return self.d.next_event()

    def launch(self, command):
        env = dict(os.environ, DISPLAY=self.name)
        env.pop("QT_QPA_PLATFORM", None)
        started = time.monotonic()
        process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = started + 20
        while (e := self.next_event(deadline)) is not None:
            if e.type == X.MapNotify and not e.override:
                return process, e.window, (time.monotonic() - started) * 1000
        process.kill()
        sys.exit(f"{command[0]} mapped no window")

    def ping(self, window, timeout=5.0):
        """Milliseconds until the window's event loop answers _NET_WM_PING."""
        self.serial += 1
        message = event.ClientMessage(window=window, client_type=self.protocols,
                                      data=(32, [self.ping_atom, self.serial, window.id, 0, 0]))
        sent = time.monotonic()
        window.send_event(message, event_mask=0)
        self.d.flush()
        while (e := self.next_event(sent + timeout)) is not None:
            if e.type == X.ClientMessage and list(e.data[1][:2]) == [self.ping_atom, self.serial]:
                return (time.monotonic() - sent) * 1000
        return timeout * 1000

    def click_start(self, window):
        geometry = window.get_geometry()
        origin = self.root.translate_coords(window, 0, 0)
        x = origin.x + START_BUTTON[0]
        y = origin.y + geometry.height - CLIENT_HEIGHT + START_BUTTON[1]
        subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"],
                       env=dict(os.environ, DISPLAY=self.name), check=True)


def cpu_percent(pid, seconds, during=None):
    before, started = cpu_seconds(pid), time.monotonic()
    (during or time.sleep)(seconds)
    return 100 * (cpu_seconds(pid) - before) / (time.monotonic() - started)


def feed(master, seconds):
    """1152 bytes every 100 ms, the pace of 115200 baud."""
    chunk = bytes(range(256)) * 4 + bytes(range(128))
    start = time.monotonic()
    for n in range(int(seconds * 10)):
        time.sleep(max(0.0, start + n / 10 - time.monotonic()))
        os.write(master, chunk)


def flood(master, seconds, written):
    """4 KiB non-blocking writes, as fast as the port takes them."""
    os.set_blocking(master, False)
    chunk, end = bytes(range(256)) * 16, time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            written.append(os.write(master, chunk))
        except BlockingIOError:
            select.select([], [master], [], 0.05)
    os.set_blocking(master, True)


def launch(screen, program, bare, *options):
    """Starts the program, Kalvane on a pseudo-terminal of its own; returns it, its window, the start-up and
    the terminal."""
    if program in REMOTES:
        program, pty = REMOTES[program]
    else:
        pty = None if program == bare else Pty()
    process, window, startup = screen.launch([program, *options] + ([pty.path] if pty else []))
    return process, window, startup, pty


def measure(screen, program, bare):
    process, window, startup, pty = launch(screen, program, bare)
    peer = pty.master if pty else None
    row = {"start": startup}
    time.sleep(3)
    row["rss"] = rss_mib(process.pid)
    if pty:
        screen.click_start(window)
        time.sleep(1)
        row["idle"] = cpu_percent(process.pid, POLL_S)
        row["paced"] = cpu_percent(process.pid, POLL_S, lambda s: feed(peer, s))
        written = []
        writer = threading.Thread(target=flood, args=(peer, FLOOD_S, written))
        rss, pings = [], []
        before, started = cpu_seconds(process.pid), time.monotonic()
        writer.start()
        while writer.is_alive():
            rss.append(rss_mib(process.pid))
            pings.append(screen.ping(window))
            time.sleep(max(0.0, 0.5 - pings[-1] / 1000))
        row["flood"] = 100 * (cpu_seconds(process.pid) - before) / (time.monotonic() - started)
        row["growth"] = max(rss) - rss[0]
        row["ping"] = max(pings)
        row["rate"] = sum(written) / FLOOD_S / 1e6
    process.terminate()
    process.wait(10)
    if pty:
        pty.close()
    return row


def measure_journal(screen, program, bare, path):
    """The paced stream of measure() again, with every reading appended to a journal."""
    if os.path.exists(path):
        os.unlink(path)
    process, window, _, pty = launch(screen, program, bare, "--journal", path)
    time.sleep(3)
    screen.click_start(window)
    time.sleep(1)
    row = {"journal": cpu_percent(process.pid, POLL_S, lambda s: feed(pty.master, s))}
    process.terminate()
    process.wait(10)
    pty.close()
    with open(path, "rb") as f:
        row["lines"] = sum(1 for _ in f)
    time.sleep(1)
    return row


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    bare, programs = sys.argv[1], sys.argv[2:]
    xvfb, name = start_xvfb()
    scratch = tempfile.mkdtemp(prefix="kalvane-bench-")
    journal = os.path.join(scratch, "journal.tsv")
    remote = None
    if os.environ.get("BENCH_REMOTE", "1") != "0":
        remote = Ser2net(scratch)
        REMOTES[f"{programs[0]} rfc2217"] = (programs[0], remote)
        programs = programs + list(REMOTES)
    try:
        screen = Screen(name)
        everyone = [bare] + programs
        rows = {p: [] for p in everyone}
        starts = {p: [] for p in everyone}
        for n in range(ROUNDS):
            for p in everyone:
                rows[p].append(measure(screen, p, bare))
                print(f"round {n + 1} {p}: {rows[p][-1]}", file=sys.stderr)
            for p in programs:
                if p in REMOTES:
                    continue
                rows[p][-1].update(measure_journal(screen, p, bare, journal))
                print(f"round {n + 1} {p} --journal: {rows[p][-1]}", file=sys.stderr)
        for _ in range(STARTS):
            for p in everyone:
                process, _, ms, pty = launch(screen, p, bare)
                starts[p].append(ms)
                process.terminate()
                process.wait(10)
                if pty:
                    pty.close()
    finally:
        xvfb.terminate()
        xvfb.wait()
        if remote:
            remote.stop()
        shutil.rmtree(scratch)

    def med(p, key):
        return statistics.median(r[key] for r in rows[p])

    def journalled(p, cell):
        return "—" if p in REMOTES else cell(p)

    floor = {"start": statistics.median(starts[bare]), "rss": med(bare, "rss")}
    lines = [("start-up, exec → window mapped (median of %d)" % STARTS,
              lambda p: "%.1f ms = %.2f×" % (statistics.median(starts[p]),
                                             statistics.median(starts[p]) / floor["start"])),
             ("idle RSS, 3 s after mapping", lambda p: "%.1f MiB (+%.1f)" % (med(p, "rss"), med(p, "rss") - floor["rss"])),
             ("CPU polling every 100 ms, no data", lambda p: "%.2f %%" % med(p, "idle")),
             ("CPU polling, 1152 B every 100 ms", lambda p: "%.2f %%" % med(p, "paced")),
             ("the same with --journal (lines written)",
              lambda p: journalled(p, lambda p: "%.2f %% (%d)" % (med(p, "journal"), med(p, "lines")))),
             ("the journal's cost",
              lambda p: journalled(p, lambda p: "%+.2f %%" % (med(p, "journal") - med(p, "paced")))),
             ("%g s flood: CPU" % FLOOD_S, lambda p: "%.1f %% (%.0f MB/s taken)" % (med(p, "flood"), med(p, "rate"))),
             ("%g s flood: RSS growth" % FLOOD_S, lambda p: "+%.1f MiB" % med(p, "growth")),
             ("%g s flood: slowest _NET_WM_PING answer" % FLOOD_S, lambda p: "%.0f ms" % med(p, "ping"))]
    print(f"bare window {bare}: start-up {floor['start']:.1f} ms, idle RSS {floor['rss']:.1f} MiB; "
          f"medians of {ROUNDS} rounds\n")
    print("| | " + " | ".join(programs) + " |")
    print("|---" * (len(programs) + 1) + "|")
    for title, cell in lines:
        print(f"| {title} | " + " | ".join(cell(p) for p in programs) + " |")


if __name__ == "__main__":
    main()
