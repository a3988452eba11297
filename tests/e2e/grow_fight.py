#!/usr/bin/env python3
"""Grows the boss fight of a key script: finds, by running the game, the keys that beat the boss
without a life lost, and prints them in the runner's key script format.

  grow_fight.py BUILD_DIR --keys PREFIX --from TICK [--stage NAME] [--data DIR] [--boss TYPE:INDEX]
                [--until TICK] [--segment TICKS] [--look TICKS] [--reach PX] [--backs N] [--jobs N]
                [--out FILE]

PREFIX is the key script up to the fight: it is cut at tick TICK (a key it holds there goes up), and
the fight's keys follow from that tick. --stage starts the runner at that stage instead of the
game's first tick (for "Boss Rush"); --data uses a data folder made beforehand (a test's own, say,
with changed properties) instead of one that `datakit build` writes; --boss names the boss body for
the runner's --watch (default HaystackKing:1, the body the placed controller spawns). --out writes
the whole script (the cut prefix and the fight) to FILE. The first line printed is a comment that
gives the tick the boss's hit points reached 0 ("# beaten at tick N") and the player's health and
lives; the fight's key lines follow.

How it searches: the runner is started with --serve and kept at the fight's current tick. From
there every move of a short list (wait, swing, walk either way, turn and swing, jumps, each over
--segment ticks) is tried in forked copies of the game, each followed by a few fixed ways of going
on (stand and swing, back off, close in, jump away, wait) for --look ticks. A move is worth the best
of its follow-ups: a life lost rules it out, each health point lost costs as much as 15 of the
boss's hit points, and the boss's hit points at the end of the look count against it; a hundredth
of a hit point for each pixel the player ends the move farther from the body than --reach (default
64) leads it in where nothing else tells the moves apart. The best move is played in the kept game
and the search goes on from the end of its segment, until the boss's hit points reach 0 or --until.
Where every move loses a life, the search backs off three steps (a fresh runner plays the fight up
to there) and plays the next best move of that step instead, at most --backs times (default 30).
Then the whole script is run once more from its first tick without the server, and what that run
shows (not what the search expected) is reported.

The runner's --serve needs fork(): Linux builds only. The tool runs --jobs copies at once (default
4; use taskset to keep it off cores others use). Village 1's fight (about 1700 ticks) grew in 7
minutes on a machine shared with much else (a load of about 50 on 8 cores); a 280-tick fight with a
boss of 10 hit points on Boss Rush in about 35 s.
"""
import argparse
import csv
import os
import shutil
import subprocess
import sys
import tempfile

LEFT, RIGHT, JUMP, ATTACK = 75, 77, 31, 30


def parse_script(path):
    """The events of a key script as (tick, slot, down), in the runner's order."""
    events = []
    for number, raw in enumerate(open(path), 1):
        line = raw.strip()
        if not line or line.startswith('#'):
            continue
        words = line.split()
        if '-' in words[0] and len(words) == 2:
            first, last = map(int, words[0].split('-'))
            slot = int(words[1], 0)
            events += [(first, slot, True), (last + 1, slot, False)]
        elif len(words) == 3 and words[2] in ('down', 'up'):
            events.append((int(words[0]), int(words[1], 0), words[2] == 'down'))
        else:
            sys.exit(f'grow_fight: {path}:{number}: not a key script line: {raw.rstrip()}')
    return sorted(events, key=lambda e: e[0])


def cut_prefix(events, tick):
    """Script lines for the events before `tick`, with every key still held there let go at it."""
    held = set()
    lines = []
    for at, slot, down in events:
        if at >= tick:
            break
        lines.append(f'{at} {slot} {"down" if down else "up"}')
        (held.add if down else held.discard)(slot)
    lines += [f'{tick} {slot} up' for slot in sorted(held)]
    return lines


def ranges(offsets, tick):
    """Script lines of (first, last, slot) ranges given relative to `tick`."""
    return [f'{tick + a}-{tick + b} {slot}' for a, b, slot in offsets]


def swings(start, end, every=20):
    return [(t, t, ATTACK) for t in range(start, end, every)]


def moves(s):
    """The moves tried at each step, over s ticks: name and (first, last, slot) ranges."""
    jump = min(11, s - 1)
    return [
        ('wait', []),
        ('swing', [(0, 0, ATTACK)]),
        ('right', [(0, s - 1, RIGHT)]),
        ('left', [(0, s - 1, LEFT)]),
        ('right, swing', [(0, s - 1, RIGHT), (s // 2, s // 2, ATTACK)]),
        ('left, swing', [(0, s - 1, LEFT), (s // 2, s // 2, ATTACK)]),
        ('turn right, swing', [(0, 1, RIGHT), (3, 3, ATTACK)]),
        ('turn left, swing', [(0, 1, LEFT), (3, 3, ATTACK)]),
        ('jump', [(0, jump, JUMP)]),
        ('jump right', [(0, jump, JUMP), (0, s - 1, RIGHT)]),
        ('jump left', [(0, jump, JUMP), (0, s - 1, LEFT)]),
        ('jump, swing', [(0, jump, JUMP), (5, 5, ATTACK)]),
        ('jump right, swing', [(0, jump, JUMP), (0, s - 1, RIGHT), (5, 5, ATTACK)]),
        ('jump left, swing', [(0, jump, JUMP), (0, s - 1, LEFT), (5, 5, ATTACK)]),
    ]


def follow_ups(look):
    """The fixed ways of going on after a move, over `look` ticks."""
    return [
        swings(2, look),
        [(0, 29, LEFT), (31, 32, RIGHT)] + swings(35, look),
        [(0, 14, RIGHT)] + swings(16, look),
        [(0, 11, JUMP), (0, 23, LEFT)],
        [],
    ]


def read_trace(path, boss):
    rows = list(csv.DictReader(open(path)))
    for row in rows:
        row['bossHp'] = float(row[f'{boss}.hp']) if row.get(f'{boss}.hp') else None
        row['bossX'] = float(row[f'{boss}.x']) if row.get(f'{boss}.x') and row['x'] else None
    return rows


def first_beaten(rows):
    return next((int(r['tick']) for r in rows if r['bossHp'] is not None and r['bossHp'] <= 0), None)


def judge(rows, lives, health, segment, reach):
    """(score, beaten tick) of a branch's trace; score None when the player lost a life or left."""
    lost = 0
    previous = health
    for row in rows:
        if row['state'] in ('absent', 'defeated', 'defeatedFall') or row['lives'] != lives:
            return None, None
        current = int(row['health'])
        lost += max(0, previous - current)
        previous = current
    hps = [r['bossHp'] for r in rows if r['bossHp'] is not None]
    end = hps[-1] if hps else 0.0
    beaten = first_beaten(rows)
    score = -max(end, 0.0) - 15.0 * lost
    # Out of reach at the end of the move: a little worse the farther, so that a move closes in when
    # nothing else tells the moves apart.
    mark = rows[min(segment, len(rows)) - 1]
    if mark.get('bossX') is not None:
        score -= 0.01 * max(0.0, abs(float(mark['x']) - mark['bossX']) - reach)
    if beaten is not None:
        score += 1000.0 - (beaten - int(rows[0]['tick'])) * 0.1
    return score, beaten


class Server:
    """The runner kept at a tick with --serve."""

    def __init__(self, runner, data, work, prefix_lines, tick, extra):
        self.work = work
        self.count = 0
        keys = self.write(prefix_lines)
        self.process = subprocess.Popen([runner, data, str(tick), '--keys', keys] + extra + ['--serve'],
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.tick = tick

    def write(self, lines):
        self.count += 1
        path = os.path.join(self.work, f'keys{self.count}.txt')
        with open(path, 'w') as out:
            out.write('\n'.join(lines) + '\n')
        return path

    def ask(self, command):
        self.process.stdin.write(command + '\n')
        self.process.stdin.flush()
        answer = self.process.stdout.readline().strip()
        if not answer:
            sys.exit(f'grow_fight: the runner gave no answer to "{command}" (exit {self.process.poll()})')
        return answer

    def run(self, lines, until):
        answer = self.ask(f'run {until} {self.write(lines)}')
        if answer != f'at {until}':
            sys.exit(f'grow_fight: the runner stopped: {answer}')
        self.tick = until

    def branch(self, scripts, until, jobs):
        """Runs each script (lines) from the current tick to `until`; returns their trace paths."""
        entries, traces = [], []
        for lines in scripts:
            keys = self.write(lines)
            trace = keys.replace('keys', 'trace').replace('.txt', '.csv')
            entries.append(f'{keys} {trace} {until}')
            traces.append(trace)
        listing = self.write(entries)
        answer = self.ask(f'branch {listing} {jobs}')
        if not answer.startswith('branched') or answer.split()[2] != '0':
            sys.exit(f'grow_fight: branches failed: {answer}')
        return traces

    def close(self):
        if self.process.poll() is None:
            self.process.stdin.write('quit\n')
            self.process.stdin.flush()
            self.process.wait()


def merge(lines):
    """The fight's ranges with those of one key that meet ("A-B k" and "B+1-C k") joined."""
    spans = sorted((int(w[0].split('-')[0]), int(w[0].split('-')[1]), int(w[1]))
                   for w in (line.split() for line in lines))
    joined = []
    for a, b, slot in sorted(spans, key=lambda span: (span[2], span[0])):
        if joined and joined[-1][2] == slot and a <= joined[-1][1] + 1:
            joined[-1] = (joined[-1][0], max(b, joined[-1][1]), slot)
        else:
            joined.append((a, b, slot))
    return [f'{a}-{b} {slot}' for a, b, slot in sorted(joined)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('build_dir')
    parser.add_argument('--keys', required=True)
    parser.add_argument('--from', dest='start', type=int, required=True)
    parser.add_argument('--stage')
    parser.add_argument('--data')
    parser.add_argument('--boss', default='HaystackKing:1')
    parser.add_argument('--until', type=int)
    parser.add_argument('--segment', type=int, default=16)
    parser.add_argument('--look', type=int, default=90)
    parser.add_argument('--jobs', type=int, default=4)
    parser.add_argument('--reach', type=float, default=64.0)
    parser.add_argument('--backs', type=int, default=30)
    parser.add_argument('--out')
    args = parser.parse_args()
    until = args.until if args.until is not None else args.start + 4000
    runner = os.path.join(args.build_dir, 'tools', 'runner')
    work = tempfile.mkdtemp(prefix='grow_fight.')
    try:
        data = os.path.abspath(args.data) if args.data else os.path.join(work, 'data')
        if not args.data:
            subprocess.run([os.path.join(args.build_dir, 'tools', 'datakit'), 'build', data], check=True,
                           stdout=subprocess.DEVNULL)
        extra = ['--watch', args.boss] + (['--stage', args.stage] if args.stage else [])
        prefix = cut_prefix(parse_script(args.keys), args.start)
        fight, beaten = grow(runner, data, work, prefix, extra, args, until)
        lines = prefix + fight
        # The proof: the whole script from its first tick, in one plain run.
        full = os.path.join(work, 'full.txt')
        with open(full, 'w') as out:
            out.write('\n'.join(lines) + '\n')
        end = (beaten if beaten is not None else until) + 300
        subprocess.run([runner, data, str(end), '--keys', full, '--trace', os.path.join(work, 'full.csv')] + extra,
                       check=True, stdout=subprocess.DEVNULL)
        rows = read_trace(os.path.join(work, 'full.csv'), args.boss)
        shown = first_beaten(rows)
        fight_rows = [r for r in rows if int(r['tick']) >= args.start and r['health'] != '']
        lives = sorted({r['lives'] for r in fight_rows})
        print(f'# grown by grow_fight.py from tick {args.start}: beaten at tick {shown}; '
              f'health {fight_rows[0]["health"]} -> {fight_rows[-1]["health"]} (lowest '
              f'{min(int(r["health"]) for r in fight_rows)}); lives {", ".join(lives)}')
        print('\n'.join(fight))
        if args.out:
            shutil.copy(full, args.out)
        if shown is None or len(lives) != 1:
            sys.exit('grow_fight: the plain run of the grown script does not beat the boss without a life lost')
    finally:
        shutil.rmtree(work, ignore_errors=True)


def grow(runner, data, work, prefix, extra, args, until):
    """The fight's script lines and the tick the search saw the boss beaten (None: not beaten)."""
    s, look = args.segment, args.look
    tried, ways = moves(s), follow_ups(look)
    server = Server(runner, data, work, prefix, args.start, extra)
    # One entry a step played: its tick, its moves ranked best first (score, name, move), the one
    # played, and its script lines.
    steps = []
    backs = 0
    try:
        # The player's health and lives when the fight begins: one branch that does nothing.
        [trace] = server.branch([[]], args.start + 1, 1)
        first = read_trace(trace, args.boss)[0]
        lives, health = first['lives'], int(first['health'])
        ranked = None
        while server.tick < until:
            t = server.tick
            if ranked is None:
                scripts = [ranges(move, t) + ranges(way, t + s) for _, move in tried for way in ways]
                traces = server.branch(scripts, t + s + look, args.jobs)
                ranked = []
                for i, (name, move) in enumerate(tried):
                    results = [judge(read_trace(traces[i * len(ways) + k], args.boss), lives, health, s, args.reach)
                               for k in range(len(ways))]
                    scores = [score for score, _ in results if score is not None]
                    if scores:
                        ranked.append((max(scores), -i, name, move))
                ranked = [(score, name, move) for score, _, name, move in sorted(ranked, reverse=True)]
                choice = 0
            if not ranked:
                # Every move loses a life: back off a few steps and play the next best move there.
                while steps and backs < args.backs:
                    backs += 1
                    for _ in range(min(len(steps), 3) - 1):
                        steps.pop()
                    t, ranked, choice, _ = steps.pop()
                    if choice + 1 < len(ranked):
                        choice += 1
                        break
                else:
                    sys.exit(f'grow_fight: at tick {t} every move loses a life, {backs} steps backed off')
                print(f'grow_fight: every move loses a life; back to tick {t}', file=sys.stderr)
                server.close()
                server = Server(runner, data, work, prefix, args.start, extra)
                if t > args.start:
                    server.run([line for step in steps for line in step[3]], t)
            _, name, move = ranked[choice]
            lines = ranges(move, t)
            [trace] = server.branch([lines], t + s, 1)
            rows = read_trace(trace, args.boss)
            server.run(lines, t + s)
            steps.append((t, ranked, choice, lines))
            ranked = None
            print(f'grow_fight: tick {t}: {name}; boss {rows[-1]["bossHp"]}, health {rows[-1]["health"]}',
                  file=sys.stderr)
            beaten = first_beaten(rows)
            if beaten is not None:
                return merge([line for step in steps for line in step[3]]), beaten
        return merge([line for step in steps for line in step[3]]), None
    finally:
        server.close()


if __name__ == '__main__':
    main()
