#!/usr/bin/env python3
"""Gathers benchmark positions from self-play of the engine's own search.

Plays games of the search against itself (levels and random tie-breaks varied by seed) with
checkers-cli and keeps positions of three kinds, side 2 to move in each: openings, middle games
without kings, and endgames with two to six kings (as many of each number as it finds, up to
eight). Prints one position text a line.

    tools/gather_positions.py --cli build/checkers-cli --rules russian > tools/bench/russian.txt

With --endgames-only it keeps the endgames alone, --per-king-count of each number of kings:

    tools/gather_positions.py --cli build/checkers-cli --rules russian --seed 7 \
        --endgames-only --per-king-count 12 > tools/bench/kings-russian.txt
"""

import argparse
import random
import subprocess

START = "5 5 5 5 5 5 5 5 5 5 5 5 3 3 3 3 3 3 3 3 1 1 1 1 1 1 1 1 1 1 1 1 "
MAX_PLIES = 200
KINDS = {"opening": 35, "middle": 35}
ENDGAME_KINGS = range(2, 7)
ENDGAMES_PER_KING_COUNT = 8


def flipped(text):
    """The position seen by the other side, which is then side 2 to move."""
    values = [6 - int(v) for v in text.split()]
    return "".join(f"{v} " for v in reversed(values))


def kind(text, ply):
    """opening, middle, or endgame-K for an endgame with K kings."""
    values = [int(v) for v in text.split()]
    kings = sum(v in (2, 4) for v in values)
    pieces = sum(v != 3 for v in values)
    if 2 <= ply <= 12 and kings == 0:
        return "opening"
    if ply >= 16 and kings == 0 and pieces >= 10:
        return "middle"
    if kings in ENDGAME_KINGS:
        return f"endgame-{kings}"
    return None


def search(cli, rules, level, seed, position):
    out = subprocess.run(
        [cli, "search", "--rules", rules, "--level", str(level), "--seed", str(seed),
         "--position", position],
        check=True, capture_output=True, text=True).stdout
    for line in out.splitlines():
        if line.startswith("position "):
            return line[len("position "):]
    raise RuntimeError("no position in: " + out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", required=True)
    parser.add_argument("--rules", required=True, choices=["russian", "english"])
    parser.add_argument("--games", type=int, default=100)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--endgames-only", action="store_true")
    parser.add_argument("--per-king-count", type=int, default=ENDGAMES_PER_KING_COUNT)
    args = parser.parse_args()

    rng = random.Random(args.seed)
    wanted = {} if args.endgames_only else dict(KINDS)
    wanted.update({f"endgame-{k}": args.per_king_count for k in ENDGAME_KINGS})
    found = {name: [] for name in wanted}
    seen = set()
    for game in range(args.games):
        level = rng.choice([2, 3, 4, 5, 6])
        position = START
        for ply in range(MAX_PLIES):
            name = kind(position, ply)
            if name in wanted and position not in seen:
                seen.add(position)
                found[name].append(position)
            after = search(args.cli, args.rules, level, rng.randrange(1 << 30), position)
            if after == position:
                break  # side 2 has no move
            position = flipped(after)

    for name, count in wanted.items():
        chosen = rng.sample(found[name], min(count, len(found[name])))
        for position in chosen:
            print(position)


if __name__ == "__main__":
    main()
