# shellcheck shell=bash
# Station mode: `sdupdate-cli --station` waits for adapters of the logger's type (the udev
# monitor), updates each new one once and writes its record. Two adapters are plugged one
# after the other (device_add); each logger is updated exactly once, with a summary line each
# and a record each naming the adapter's USB serial number; a Ctrl-C then ends the session
# cleanly with the count of passed and failed updates.

case_setup() {
    bench_adapter 0 --unplugged
    bench_adapter 1 --unplugged
}

case_guest() {
    start_udev || fail "udev did not start"
    start_logged station sdupdate-cli --station --yes --record /xchg/records.jsonl
    wait_until 20 grep -q 'station: updating' /xchg/station.err ||
        { fail "the station did not start"; return 1; }

    tell_host plug0
    wait_until 60 output_has station ' ttyUSB0 .* success ' ||
        { fail "no success line for ttyUSB0 within 60 s"; return 1; }
    tell_host plug1
    wait_until 60 output_has station ' ttyUSB1 .* success ' ||
        { fail "no success line for ttyUSB1 within 60 s"; return 1; }
    # Both stay plugged: neither is updated a second time.
    pause 3
    kill -INT "$(cat /xchg/station.pid)"
    wait_logged station 30 || return 1
    expect_status station 0
}

case_host() {
    wait_guest plug0 60 && plug_adapter 0 &&
        wait_guest plug1 90 && plug_adapter 1
}

case_check() {
    local out err records
    out=$(guest_file station.out)
    err=$(guest_file station.err)
    records=$(guest_file records.jsonl)
    [ "$(grep -c ' ttyUSB0 ' "$out")" = 1 ] || fail "ttyUSB0 was updated $(grep -c ' ttyUSB0 ' "$out") times"
    [ "$(grep -c ' ttyUSB1 ' "$out")" = 1 ] || fail "ttyUSB1 was updated $(grep -c ' ttyUSB1 ' "$out") times"
    grep -q 'station: 2 passed, 0 failed' "$err" || fail "no count at the end: $(tail -n 1 "$err")"
    [ "$(wc -l <"$records")" = 2 ] || fail "$(wc -l <"$records") records, not 2"
    local n
    for n in 0 1; do
        grep -q "\"port\":\"ttyUSB$n\".*\"adapter\":{\"vendor_id\":\"0403\",\"product_id\":\"6001\",\"serial\":\"BENCH$n\"}.*\"result\":{\"exit_code\":0,\"name\":\"success\"" "$records" ||
            fail "no success record of ttyUSB$n with the adapter BENCH$n"
        flash_matches_image "$n"
    done
}
