# shellcheck shell=bash
# Low latency: the adapter's latency timer starts at 16 ms (as on a real FT232; QEMU's starts
# at 0). While an update runs, the updater has set ASYNC_LOW_LATENCY: sysfs reads 1 and the
# chip got a set-latency request (0x4009) of 1 ms; after the port is closed the timer is back
# at 16 ms, in sysfs and at the chip.

LATENCY=/sys/bus/usb-serial/devices/ttyUSB0/latency_timer

case_guest() {
    echo 16 >"$LATENCY"
    cat "$LATENCY" >/xchg/latency-before.txt
    start_logged update sdupdate-cli --port /dev/ttyUSB0 --yes
    wait_until 60 output_has update '-> Class ' || { fail "no logger class within 60 s"; return 1; }
    cat "$LATENCY" >/xchg/latency-during.txt
    tell_host configured
    wait_host traced 30 || return 1
    running update || fail "the update ended before the host copied the trace; nothing proven"
    wait_logged update 120 && expect_status update 0
    cat "$LATENCY" >/xchg/latency-after.txt
    [ "$(cat /xchg/latency-before.txt)" = 16 ] || fail "the timer did not start at 16 ms"
    [ "$(cat /xchg/latency-during.txt)" = 1 ] ||
        fail "sysfs reads $(cat /xchg/latency-during.txt) ms during the update, not 1"
    [ "$(cat /xchg/latency-after.txt)" = 16 ] ||
        fail "sysfs reads $(cat /xchg/latency-after.txt) ms after the update, not 16"
}

case_host() {
    wait_guest configured 90 || return 1
    trace_snapshot configured >/dev/null
    tell_guest traced
}

case_check() {
    [ -f "$CASE_DIR/trace-configured.log" ] || return 0 # the guest part failed and said why
    local during after
    during=$(chip_requests "$CASE_DIR/trace-configured.log" 0x4009 | tail -n 1)
    after=$(chip_requests "$CASE_DIR/trace.log" 0x4009 | tail -n 1)
    {
        echo "during the update: got control 0x4009, value $during"
        echo "after the close:   got control 0x4009, value $after"
    } >"$CASE_DIR/latency.txt"
    [ "$during" = 0x1 ] || fail "the chip's latency timer during the update: $during, not 0x1"
    [ "$after" = 0x10 ] || fail "the chip's latency timer after the close: $after, not 0x10"
}
