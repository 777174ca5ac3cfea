# shellcheck shell=bash
# The line settings as the chip received them. QEMU traces every FTDI control request the
# driver sends (lib/trace.sh). While an update runs, after the logger has answered (so the port
# is open and configured), the host takes a copy of the trace; the state those requests leave
# the chip in must be 9600 baud, 8 data bits, no parity, 1 stop bit, no flow control, DTR on
# and RTS off. The trace lines that set each item are written to line-settings.txt. After the
# run the port's last close must have dropped both lines: the last modem-control request
# (0x4001) is 0x300 (mask DTR and RTS, both off).

case_guest() {
    start_logged update sdupdate-cli --port /dev/ttyUSB0 --yes
    # The report's line with the logger's class follows the first answer: configured by then.
    if ! wait_until 60 output_has update '-> Class '; then
        fail "the update reported no logger class within 60 s"
        return 1
    fi
    tell_host configured
    wait_host traced 30 || return 1
    # The copy shows the configured port only if the port was still open when it was taken.
    running update || fail "the update ended before the host copied the trace; nothing proven"
    wait_logged update 120 && expect_status update 0
}

case_host() {
    wait_guest configured 90 || return 1
    trace_snapshot configured >/dev/null
    tell_guest traced
}

case_check() {
    [ -f "$CASE_DIR/trace-configured.log" ] || return 0 # the guest part failed and said why
    local expected="baud=9600 parity=N data=8 stop=1 flow=0 dtr=1 rts=0" got
    got=$(chip_state "$CASE_DIR/trace-configured.log" "$CASE_DIR/line-settings.txt")
    [ "$got" = "$expected" ] || fail "the chip got $got, expected $expected"
    local last
    last=$(chip_requests "$CASE_DIR/trace.log" 0x4001 | tail -n 1)
    echo "after the close:  got control 0x4001, value $last" >>"$CASE_DIR/line-settings.txt"
    [ "$last" = 0x300 ] || fail "the last modem-control request is $last, not 0x300 (lines down)"
}
