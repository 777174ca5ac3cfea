# shellcheck shell=bash
# Sourced by tests/usb/run for every case: reading QEMU's trace of what the driver told the
# emulated chip. QEMU writes a line per FTDI control request to CASE_DIR/trace.log as the
# request arrives (-trace 'usb_serial_*'), for example
#   15166@1796914715.593336:usb_serial_set_baud dev 0:1 baud rate 9600
#   15166@1796914715.592964:usb_serial_set_data dev 0:1 parity N, data bits 8, stop bits 1
#   15166@1796914715.598251:usb_serial_set_flow_control dev 0:1 flow control 0
#   15166@1796914715.598863:usb_serial_handle_control dev 0:1 got control 0x4001, value 0x200
# (pid@host time:event). Requests: 0x4000 reset, 0x4001 modem control, 0x4002 flow control,
# 0x4003 baud rate, 0x4004 data format, 0x4009 set latency timer, 0xc00a get latency timer,
# 0xc005 get modem status.

# trace_snapshot NAME: copies the trace as it is now to CASE_DIR/trace-NAME.log and prints that
# path: what the chip had received up to this moment.
trace_snapshot() {
    cp "$CASE_DIR/trace.log" "$CASE_DIR/trace-$1.log"
    echo "$CASE_DIR/trace-$1.log"
}

# chip_requests TRACE REQUEST: the values of every control request REQUEST (e.g. 0x4009) in the
# trace, one per line, in hex as QEMU prints them.
chip_requests() {
    awk -v request="$2" '$0 ~ "got control " request "," { print $NF }' "$1"
}

# chip_state TRACE [PROOF]: folds the requests of the trace into the chip's line settings,
# printed as "baud=9600 parity=N data=8 stop=1 flow=0 dtr=1 rts=0". PROOF, when given, gets the
# trace line that set each item last. In a modem-control request (0x4001) the value's high
# byte masks the lines being changed (0x01 DTR, 0x02 RTS), its low byte gives their new state.
chip_state() {
    awk -v proof="${2:-/dev/null}" '
        function event(text) { sub(/^[0-9]+@[0-9.]+:/, "", text); return text }
        function hex(text,    n, i) {
            n = 0
            for (i = 3; i <= length(text); i++)
                n = n * 16 + index("0123456789abcdef", tolower(substr(text, i, 1))) - 1
            return n
        }
        /usb_serial_set_baud/ { baud = $NF; proof_baud = event($0) }
        /usb_serial_set_data/ {
            match($0, /parity [A-Z]/); parity = substr($0, RSTART + 7, 1)
            match($0, /data bits [0-9]+/); data = substr($0, RSTART + 10, RLENGTH - 10)
            match($0, /stop bits [0-9]+/); stop = substr($0, RSTART + 10, RLENGTH - 10)
            proof_data = event($0)
        }
        /usb_serial_set_flow_control/ { flow = $NF; proof_flow = event($0) }
        /got control 0x4001,/ {
            value = hex($NF); mask = int(value / 256) % 4; state = value % 4
            if (mask % 2) { dtr = state % 2; proof_dtr = event($0) }
            if (int(mask / 2)) { rts = int(state / 2); proof_rts = event($0) }
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
