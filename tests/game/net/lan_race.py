#!/usr/bin/env python3
"""Races three games over the loopback network: a host and two clients.

Each game runs headless in its own process on its own 127.0.0.k (the host on every address, to
hear the clients' broadcast), on a free port, driven by its own input file and writing its own
run trace. The host clicks Multiplayer, Host Game, OK on its racer and, once both clients hold a
slot, Start; each client clicks Multiplayer, Join Game, turns the line-up to a racer of its own
and clicks OK. Every game paddles from the start. The check: every trace goes through the lobby
into the race, and the traces agree on who finished in which order.

With --lose-host the host's process is killed during the race (some wall seconds in, or once the
host has seen a number of racers home), or frozen as it reaches the start line (--lose-at-start):
a client takes over as host and the race starts or goes on to the finish on the two that remain,
whose traces must agree. The lost host's racer goes on under the
new host's computer: that game's trace says so, unless the racer had finished by then.

The traces also name each race racer's connection: every game must hold the joined players'
racers under the same ids. The first racers home are waited for, not the whole field: at the
larger step some racers end up stranded on the bank.

With --lose-client a host races one client, which is lost on the way: killed in the lobby
("lobby"), frozen as the host reaches the start line, mostly before it has heard the race begin
("start"), as it reaches the start line itself, around its word that it is ready ("start-line"),
or once its race has begun ("race"); a frozen client is killed some seconds later. The host must
start and run the race on its own, its computer driving the lost player's racer when the race
holds one.
"""
import argparse
import os
import re
import signal
import socket
import subprocess
import sys
import tempfile
import time

RUN_DIR = os.path.join("run", "tumbo", "kelvo", "game")
# Every frame advances the game clock by this much. A larger step than the single-player tests'
# keeps the race short in wall time; the physics takes steps up to 0.1 s whole.
STEP = 0.05

# Window coordinates of the buttons at 1024 x 768; the pointer starts at (400, 300) and moves are
# given as offsets from there.
POINTER = (400, 300)
MULTIPLAYER = (191, 402)
HOST_GAME = (560, 440)
JOIN_GAME = (560, 363)
LINE_UP_RIGHT = (686, 635)
OK = (837, 686)
LOBBY_START = (838, 510)

LOBBY_STATES = ["InitState", "LoadingScreenState", "Loading1State", "NorvaleSplashState", "MenuState",
                "CharSelState", "MultiState", "StartTrack1State", "RacingState"]


def free_port():
    probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    probe.bind(("0.0.0.0", 0))
    port = probe.getsockname()[1]
    probe.close()
    return port


def frame(seconds):
    return max(1, int(round(seconds / STEP)))


def click(at, seconds):
    """A click at window position `at` after `seconds` of game time."""
    dx, dy = at[0] - POINTER[0], at[1] - POINTER[1]
    f = frame(seconds)
    return ["%d mouse_move %d %d" % (f, dx, dy), "%d mouse_down left %d %d" % (f + 4, dx, dy),
            "%d mouse_up left %d %d" % (f + 6, dx, dy)]


def input_lines(host, turns, start_at):
    """The menus (in game seconds, each click after its camera move has stopped), then paddling."""
    lines = click(MULTIPLAYER, 5.5) + click(HOST_GAME if host else JOIN_GAME, 6.0)
    t = 8.5
    for _ in range(turns):
        lines += click(LINE_UP_RIGHT, t)
        t += 1.0
    lines += click(OK, t)
    if host:
        lines += click(LOBBY_START, start_at)
    # Held from the lobby on: the racer paddles as soon as the race lets it.
    lines.append("%d key_down Up" % frame(t + 1.0))
    return lines


def read_trace(path):
    """States entered, racer ids in finishing order, the racers of the race by connection id, the
    racers this game's computer took over, and when this game took over as host: None, or its
    frame and how many finishes it had seen by then."""
    states, finishes, racers, computer, takeover = [], [], {}, [], None
    try:
        with open(path) as f:
            for line in f:
                m = re.match(r"^(\d+) state (\S+)$", line.strip())
                if m:
                    states.append(m.group(2))
                m = re.match(r"^(\d+) finish (\d+) (\d+) ([0-9.]+)$", line.strip())
                if m:
                    finishes.append(int(m.group(2)))
                m = re.match(r"^(\d+) racer (\d+) (\d+)$", line.strip())
                if m:
                    racers[int(m.group(2))] = int(m.group(3))
                m = re.match(r"^(\d+) computer (\d+)$", line.strip())
                if m:
                    computer.append(int(m.group(2)))
                m = re.match(r"^(\d+) takeover$", line.strip())
                if m and takeover is None:
                    takeover = (int(m.group(1)), len(finishes))
    except FileNotFoundError:
        pass
    return states, finishes, racers, computer, takeover


class Game:
    def __init__(self, args, work, name, address, host, turns):
        self.name = name
        self.trace = os.path.join(work, name + "_trace.txt")
        self.log = os.path.join(work, name + "_output.txt")
        # A kept folder may hold an earlier run's trace, which would read as this one's.
        if os.path.exists(self.trace):
            os.remove(self.trace)
        script = os.path.join(work, name + "_input.txt")
        with open(script, "w") as f:
            f.write("\n".join(input_lines(host, turns, args.start_at)) + "\n")
        env = dict(os.environ, SDL_VIDEODRIVER="offscreen", ALSOFT_DRIVERS="null", TK_D3D9_DEVICE="null",
                   TK_FIXED_DT=str(STEP), TK_FRAME_LIMIT=str(args.frames), TK_INPUT_FILE=script,
                   TK_TRACE=self.trace, TK_NET_PORT=str(args.port), TK_NET_BROADCAST="127.255.255.255")
        if address:
            env["TK_NET_ADDRESS"] = address
        env.setdefault("ASAN_OPTIONS", "detect_leaks=0")
        self.out = open(self.log, "wb")
        self.process = subprocess.Popen([args.game], cwd=os.path.join(args.source, RUN_DIR), env=env,
                                        stdout=self.out, stderr=subprocess.STDOUT)

    def states(self):
        return read_trace(self.trace)[0]

    def finishes(self):
        return read_trace(self.trace)[1]

    def took_over(self):
        return read_trace(self.trace)[4] is not None

    def computer_took(self, racer):
        """Whether this game's computer took the racer over when this game took over as host, or
        the racer had finished already by then."""
        _, finishes, _, computer, takeover = read_trace(self.trace)
        if takeover is None:
            return False
        return racer in computer or racer in finishes[:takeover[1]]

    def host_racer(self):
        """The host's own racer (connection id 1), or None before the race is made."""
        owned = [r for r, c in read_trace(self.trace)[2].items() if c == 1]
        return owned[0] if owned else None

    def joined_racers(self):
        """The racers of the players who joined the host (connection ids from 2 on)."""
        return sorted(r for r, c in read_trace(self.trace)[2].items() if c >= 2)

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()
        self.out.close()

    def describe(self):
        with open(self.trace) if os.path.exists(self.trace) else open(os.devnull) as f:
            trace = f.read().strip() or "(empty)"
        with open(self.log, "rb") as f:
            tail = [l for l in f.read().decode("utf-8", "replace").splitlines() if not l.startswith("Sent ")][-8:]
        return "%s (exit %s):\n  trace:\n    %s\n  last output:\n    %s" % (
            self.name, self.process.returncode, trace.replace("\n", "\n    "), "\n    ".join(tail) or "(none)")


def wait_for(condition, games, seconds, poll=0.2):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if condition():
            return True
        if any(g.process.poll() is not None for g in games):
            return condition()
        time.sleep(poll)
    return condition()


def run(args, work):
    # The clients wait in their lobbies, searching, before the host comes up: the host's Start
    # then finds them in their slots.
    clients = [Game(args, work, "client%d" % k, "127.0.0.%d" % (k + 1), False, k) for k in (1, 2)]
    games = list(clients)
    problems = []
    try:
        if not wait_for(lambda: all("MultiState" in g.states() for g in clients), clients, args.timeout / 2):
            problems.append("the clients did not reach the lobby")
        host = Game(args, work, "host", None, True, 0)
        games.insert(0, host)
        racing = lambda gs: all("RacingState" in g.states() for g in gs)
        remaining = games
        lost_racer = None
        if args.lose_at_start:
            # Lost once it has made the field on the start line: its word that the race begins
            # is out, the clients' words that they are ready may not have reached it. Killed, not
            # frozen: a frozen host would keep the port that the new host binds on this machine.
            if not wait_for(lambda: len(read_trace(host.trace)[2]) >= 6, games, args.timeout / 2, 0.002):
                problems.append("the host did not make the field on the start line")
            host.process.send_signal(signal.SIGKILL)
            host.process.wait()
            remaining = clients
            lost_racer = host.host_racer()
        if not wait_for(lambda: racing(remaining), remaining, args.timeout / 2):
            problems.append("not every game reached the race")
        if not problems and args.lose_host and not args.lose_at_start:
            if args.lose_at_finish:
                if not wait_for(lambda: len(host.finishes()) >= args.lose_at_finish, games, args.timeout):
                    problems.append("the host saw fewer than %d racers home" % args.lose_at_finish)
            else:
                time.sleep(args.lose_after)
                if host.finishes():
                    problems.append("a racer finished before the host was lost")
            host.process.send_signal(signal.SIGKILL)
            host.process.wait()
            remaining = clients
            lost_racer = host.host_racer()
            if lost_racer is None:
                problems.append("the host's trace names no racer of its own")
        # Every game holds the joined players' racers, under the same ids (those the host made
        # before it was lost on the start line).
        humans = [g.joined_racers() for g in remaining]
        wanted = len(humans[0]) if args.lose_at_start else 2
        if not problems and (len(humans[0]) != wanted or any(h != humans[0] for h in humans)):
            problems.append("the joined players' racers differ or are missing: %s" % humans)

        # The first racers home, on every game that remains. At this step a racer can end up on
        # the bank, so neither the whole field nor the players' own racers are waited for.
        def done():
            return all(len(g.finishes()) >= args.finishes for g in remaining)

        if not problems and not wait_for(done, remaining, args.timeout):
            problems.append("fewer than %d racers finished on some game" % args.finishes)
        # The lost host's racer is driven on by the new host's computer (the one game that took
        # over), unless it had crossed the line by then. Whether it gets home after is up to
        # that computer: like a player's, a racer can end up on the bank.
        if not problems and lost_racer is not None:
            wait_for(lambda: any(g.took_over() for g in remaining), remaining, args.timeout)
            servers = [g for g in remaining if g.took_over()]
            if len(servers) != 1:
                problems.append("%d games took over as host, not one" % len(servers))
            elif not servers[0].computer_took(lost_racer):
                problems.append("the new host's computer did not take the lost host's racer %d" % lost_racer)
        # Finishes already sent may still be on their way.
        time.sleep(1.0)
        orders = {g.name: g.finishes() for g in remaining}
        if not problems:
            shortest = min(len(o) for o in orders.values())
            if len(set(tuple(o[:shortest]) for o in orders.values())) != 1:
                problems.append("the finishing orders differ: %s" % orders)
            for g in remaining:
                got = g.states()
                if got[:len(LOBBY_STATES)] != LOBBY_STATES:
                    problems.append("%s went through %s, not %s" % (g.name, got, LOBBY_STATES))
        for g in games:
            if g.process.poll() is not None and g.process.returncode != 0 and not (g is host and args.lose_host):
                problems.append("%s exited with %d" % (g.name, g.process.returncode))
    finally:
        for g in games:
            g.stop()
    return problems, games


def lose_client(client, host, point, games, timeout):
    """Loses the client at the point of the road named; returns a problem or None."""
    if point == "lobby":
        # The client holds its slot a second or two after the host's lobby opens, and the host
        # clicks Start well after it has let the silent client go.
        if not wait_for(lambda: "MultiState" in host.states(), games, timeout, 0.01):
            return "the host did not reach the lobby"
        time.sleep(2.0)
        client.process.send_signal(signal.SIGKILL)
        return None
    # The client hears of the start a few milliseconds after the host is there: the trace is
    # watched closely, and the client may be caught before or after its word.
    watched = host if point == "start" else client
    state = "RacingState" if point == "race" else "StartTrack1State"
    if not wait_for(lambda: state in watched.states(), games, timeout, 0.002):
        return "%s did not reach %s" % (watched.name, state)
    client.process.send_signal(signal.SIGSTOP)
    return None


def run_client_lost(args, work):
    client = Game(args, work, "client1", "127.0.0.2", False, 1)
    games = [client]
    problems = []
    try:
        if not wait_for(lambda: "MultiState" in client.states(), games, args.timeout / 2):
            problems.append("the client did not reach the lobby")
        host = Game(args, work, "host", None, True, 0)
        games.insert(0, host)
        problem = lose_client(client, host, args.lose_client, games, args.timeout / 2)
        if problem:
            problems.append(problem)
        if not problems and args.lose_client != "lobby":
            # Frozen, the client's socket still holds its place until the host hears nothing
            # for the drop time; then it is gone for good.
            time.sleep(args.freeze_for)
            client.process.send_signal(signal.SIGKILL)
        if not problems and not wait_for(lambda: "RacingState" in host.states(), [host], args.timeout):
            problems.append("the host never started the race (last state %s)" % (host.states() or ["none"])[-1])
        if not problems and not wait_for(lambda: len(host.finishes()) >= args.finishes, [host], args.timeout):
            problems.append("the host saw fewer than %d racers home" % args.finishes)
        if not problems:
            got = host.states()
            if got[:len(LOBBY_STATES)] != LOBBY_STATES:
                problems.append("the host went through %s, not %s" % (got, LOBBY_STATES))
            # A race made with the lost player's racer hands it to the host's computer.
            _, finishes, racers, computer, _ = read_trace(host.trace)
            for racer, connection in racers.items():
                if connection >= 2 and racer not in computer and racer not in finishes:
                    problems.append("the host's computer did not take the lost player's racer %d" % racer)
        if host.process.poll() is not None and host.process.returncode != 0:
            problems.append("the host exited with %d" % host.process.returncode)
    finally:
        for g in games:
            if g.process.poll() is None:
                g.process.send_signal(signal.SIGKILL)
            g.stop()
    return problems, games


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--game", required=True)
    parser.add_argument("--source", required=True, help="the checkout holding data/ and run/")
    parser.add_argument("--lose-host", action="store_true", help="kill the host's process during the race")
    parser.add_argument("--lose-after", type=float, default=8.0, help="wall seconds into the race")
    parser.add_argument("--lose-at-start", action="store_true",
                        help="lose the host as it reaches the start line, before the countdown")
    parser.add_argument("--lose-at-finish", type=int, default=0,
                        help="lose the host once it has seen this many racers home (instead of --lose-after)")
    # The clients search once a second of real time, while the host on fixed steps on the null
    # device runs some 8,000 lobby frames a second: 400 game seconds (8,000 frames) could pass
    # before a client that had just searched searched again, and the race started without it.
    # 3,000 game seconds keep the host in its lobby for several seconds of real time.
    parser.add_argument("--start-at", type=float, default=3000.0, help="game seconds at which the host clicks Start")
    parser.add_argument("--finishes", type=int, default=2, help="finishes every game that remains must show")
    parser.add_argument("--lose-client", choices=["lobby", "start", "start-line", "race"],
                        help="race one client and lose it at this point of the road to the start")
    parser.add_argument("--freeze-for", type=float, default=20.0,
                        help="wall seconds a lost client stays frozen before it is killed")
    parser.add_argument("--frames", type=int, default=1000000)
    parser.add_argument("--timeout", type=float, default=360.0, help="wall seconds for each stage")
    parser.add_argument("--keep", help="keep the inputs, traces and outputs in this folder")
    args = parser.parse_args()
    args.lose_host = args.lose_host or args.lose_at_start
    args.game = os.path.abspath(args.game)
    args.source = os.path.abspath(args.source)
    args.port = free_port()
    began = time.monotonic()
    race = run_client_lost if args.lose_client else run
    if args.keep:
        os.makedirs(args.keep, exist_ok=True)
        problems, games = race(args, args.keep)
        report = [g.describe() for g in games]
    else:
        with tempfile.TemporaryDirectory(prefix="tk_lan_") as work:
            problems, games = race(args, work)
            report = [g.describe() for g in games]
    losing = " losing the host" if args.lose_host else ""
    if args.lose_client:
        losing = " losing its client at the %s" % args.lose_client
    print("LAN race%s in %.0f s" % (losing, time.monotonic() - began))
    for p in problems:
        print("FAILED: " + p)
    print("\n".join(report))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
