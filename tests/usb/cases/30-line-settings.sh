# The line settings as the chip received them. QEMU traces every FTDI control request the
# driver sends (usb_serial_* in trace.log). While an update runs, after the logger has answered
# (so the port is open and configured), the host takes a copy of the trace; the state those
# requests leave the chip in must be 9600 baud, 8 data bits, no parity, 1 stop bit, no flow
# control, DTR on and RTS off. The requests that set each item are written to
# line-settings.txt in the case's folder.

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
    cp "$CASE_DIR/trace.log" "$CASE_DIR/trace-configured.log"
    tell_guest traced
}

# chip_state TRACE: folds the driver's requests into the chip's settings, as
# "baud=9600 parity=N data=8 stop=1 flow=0 dtr=1 rts=0", and writes the lines that set each
# item last to line-settings.txt. In a modem-control request (0x4001) the value's high byte
# masks the lines being changed (0x01 DTR, 0x02 RTS), its low byte gives their new state.
chip_state() {
    awk -v proof="$CASE_DIR/line-settings.txt" '
        function line_of(text) { sub(/^[0-9]+@[0-9.]+:/, "", text); return text }
        function hex(text,    n, i) {
            n = 0
            for (i = 3; i <= length(text); i++)
                n = n * 16 + index("0123456789abcdef", tolower(substr(text, i, 1))) - 1
            return n
        }
        /usb_serial_set_baud/ { baud = $NF; proof_baud = line_of($0) }
        /usb_serial_set_data/ {
            match($0, /parity [A-Z]/); parity = substr($0, RSTART + 7, 1)
            match($0, /data bits [0-9]+/); data = substr($0, RSTART + 10, RLENGTH - 10)
            match($0, /stop bits [0-9]+/); stop = substr($0, RSTART + 10, RLENGTH - 10)
            proof_data = line_of($0)
        }
        /usb_serial_set_flow_control/ { flow = $NF; proof_flow = line_of($0) }
        /got control 0x4001,/ {
            value = hex($NF); mask = int(value / 256) % 4; state = value % 4
            if (mask % 2) { dtr = state % 2; proof_dtr = line_of($0) }
            if (int(mask / 2)) { rts = int(state / 2); proof_rts = line_of($0) }
        }
        END {
            printf "baud=%s parity=%s data=%s stop=%s flow=%s dtr=%s rts=%s\n",
                baud, parity, data, stop, flow, dtr, rts
            print "baud:         " proof_baud > proof
            print "data format:  " proof_data > proof
            print "flow control: " proof_flow > proof
            print "DTR:          " proof_dtr > proof
            print "RTS:          " proof_rts > proof
        }' "$1"
}

case_check() {
    [ -f "$CASE_DIR/trace-configured.log" ] || return 0 # the guest part failed and said why
    local expected="baud=9600 parity=N data=8 stop=1 flow=0 dtr=1 rts=0" got
    got=$(chip_state "$CASE_DIR/trace-configured.log")
    [ "$got" = "$expected" ] || fail "the chip got $got, expected $expected"
}
