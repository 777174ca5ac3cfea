#!/usr/bin/env bash
# A full update of image 3 against loggersim emulating 9600 baud: wall time against the time
# the wire and the fixed pauses need, and the updater's CPU time over its wall time.
set -euo pipefail
build=${1:-build}
work=$(mktemp -d)
trap 'kill "$sim" 2>/dev/null || true; rm -rf "$work"' EXIT

"$build/src/sim/loggersim" --baud 9600 --link "$work/port" >"$work/sim.out" &
sim=$!
for _ in $(seq 100); do [ -e "$work/port" ] && break; sleep 0.05; done

TIMEFORMAT='%R %U %S'
{ time "$build/src/cli/sdupdate-cli" --port "$work/port" --yes >"$work/report" 2>/dev/null; } 2>"$work/time"
read -r wall user sys <"$work/time"

# Exchanges of the run: identification, probe, three sub-commands, info request (3 frames),
# answer receive, three group reads, begin (3), per line 17 writes + send + receive + 17 reads,
# end (3), the closing sub-command. Each crosses the line as 16 bytes of 10 bits.
lines=207
exchanges=$((1 + 1 + 3 + 3 + 1 + 3 + 3 + lines * 36 + 3 + 1))
awk -v wall="$wall" -v user="$user" -v sys="$sys" -v n="$exchanges" 'BEGIN {
    wire = n * 16 * 10 / 9600 + 3 * 8 * 10 / 9600
    pauses = 0.2 + 2.0 + 0.5 + 2.0
    expected = wire + pauses
    printf "exchanges %d, wire %.1f s + pauses %.1f s = %.1f s\n", n, wire, pauses, expected
    printf "wall %.1f s, ratio %.4f\n", wall, wall / expected
    printf "updater CPU %.2f s = %.2f %% of wall\n", user + sys, 100 * (user + sys) / wall
}'
tail -1 "$work/report"
