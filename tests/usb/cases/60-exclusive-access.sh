# shellcheck shell=bash
# Exclusive access: while one update runs on ttyUSB0, a second updater on the same port, run by
# root (whom TIOCEXCL does not stop), is refused with exit 10 (port not ready) and the reason
# "in use by sdupdate-cli (PID n)" naming the first; it is refused by the lock file before it
# opens the device, so the chip receives no request from it (its open would raise DTR and RTS
# on the running update's line). The first update goes on to succeed.

case_guest() {
    start_logged first sdupdate-cli --port /dev/ttyUSB0 --yes
    # The logger's class in the report: the first updater has the port open.
    wait_until 60 output_has first '-> Class ' ||
        { fail "the first update reported no logger class within 60 s"; return 1; }
    local first_pid
    first_pid=$(pidof sdupdate-cli)
    tell_host before-second
    wait_host traced 30 || return 1
    run_logged second sdupdate-cli --port /dev/ttyUSB0 --yes
    tell_host after-second
    wait_host traced 30 || return 1
    running first || fail "the first update ended before the second was refused; nothing proven"
    expect_status second 10
    grep -q "in use by sdupdate-cli (PID $first_pid)" /xchg/second.err ||
        fail "the reason does not name the first updater (PID $first_pid): $(head -n 1 /xchg/second.err)"
    wait_logged first 120 && expect_status first 0
}

case_host() {
    wait_guest before-second 90 && trace_snapshot before >/dev/null && tell_guest traced &&
        wait_guest after-second 60 && trace_snapshot after >/dev/null && tell_guest traced
}

case_check() {
    if [ -f "$CASE_DIR/trace-before.log" ] && [ -f "$CASE_DIR/trace-after.log" ]; then
        # What the chip received while the second updater ran.
        tail -n +"$(($(wc -l <"$CASE_DIR/trace-before.log") + 1))" "$CASE_DIR/trace-after.log" \
            >"$CASE_DIR/trace-second.log"
        [ -s "$CASE_DIR/trace-second.log" ] &&
            fail "the chip received requests while the second updater ran: $(head -n 1 "$CASE_DIR/trace-second.log")"
    fi
    flash_matches_image 0
}
