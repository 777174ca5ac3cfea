#!/usr/bin/env bash
# Four loggers at once: four loggersims emulating 9600 baud updated by one sdupdate-cli call
# with --port four times, against one update alone, in the same run. The four run in child
# processes at the same time, so the wall time should stay close to the single update's.
set -euo pipefail
build=${1:-build}
cli=$build/src/cli/sdupdate-cli
work=$(mktemp -d)
sims=()
trap 'kill "${sims[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT

start_logger() {
    "$build/src/sim/loggersim" --baud 9600 --link "$work/$1" >"$work/$1.out" &
    sims+=($!)
    for _ in $(seq 100); do [ -e "$work/$1" ] && break; sleep 0.05; done
}

wall() { # wall time of a command, in seconds
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>"$work/last.err" || { cat "$work/last.err" >&2; return 1; }
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}

start_logger alone
one=$(wall "$cli" --port "$work/alone" --yes --no-record)
for n in 1 2 3 4; do start_logger "p$n"; done
four=$(wall "$cli" --port "$work/p1" --port "$work/p2" --port "$work/p3" --port "$work/p4" \
    --yes --no-record)
awk -v one="$one" -v four="$four" 'BEGIN {
    printf "one update alone: %.1f s; four at once (--port x4): %.1f s; ratio %.3f (target <= 1.05)\n",
        one, four, four / one
}'
