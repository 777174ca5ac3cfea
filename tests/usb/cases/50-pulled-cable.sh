# shellcheck shell=bash
# A cable pulled in the middle of an update: the logger emulates 9600 baud, so the update lasts
# minutes; once the firmware lines are being written the host removes the adapter (device_del).
# The updater must end within seconds with error 11 (port I/O error), not hang. After the
# adapter is plugged in again (device_add: same port, same serial number, so ttyUSB0 again),
# the next update succeeds and the flash equals image 3.
#
# The logger behind the plugged-in adapter is a second one at full speed: the interrupted
# logger at 9600 baud would take another 2.5 minutes, half of the bench's time budget. With
# USB_BENCH_REPLUG_SAME_LOGGER=1 the adapter comes back to the interrupted logger itself.

if [ "${USB_BENCH_REPLUG_SAME_LOGGER:-0}" = 1 ]; then
    CASE_TIMEOUT=300
    REPLUG_LOGGER=0
else
    REPLUG_LOGGER=0b
fi

case_setup() {
    bench_adapter 0 --baud 9600
    [ "$REPLUG_LOGGER" = 0 ] || bench_logger "$REPLUG_LOGGER"
}

case_guest() {
    start_logged cut sdupdate-cli --port /dev/ttyUSB0 --yes
    wait_until 90 output_has cut 'Progress' ||
        { fail "the update reported no progress within 90 s"; return 1; }
    tell_host pull
    local pulled
    pulled=$(now_us)
    wait_logged cut 30 || return 1
    local ms=$((($(now_us) - pulled) / 1000))
    note "the updater ended $ms ms after the guest asked for the pull"
    echo "$ms" >/xchg/end-after-pull.ms
    expect_status cut 11
    [ "$ms" -le 10000 ] || fail "the updater took $ms ms to end after the pull"

    tell_host plug
    wait_until 30 adapter_tty 0 >/dev/null || { fail "ttyUSB0 did not come back"; return 1; }
    run_logged update sdupdate-cli --port /dev/ttyUSB0 --yes
    expect_status update 0
}

case_host() {
    wait_guest pull 120 && unplug_adapter 0 &&
        wait_guest plug 60 && plug_adapter 0 "$REPLUG_LOGGER"
}

case_check() {
    grep -q 'the device went away during the run (unplugged?)' "$(guest_file cut.err)" ||
        fail "no reason on stderr: $(head -n 1 "$(guest_file cut.err)")"
    flash_matches_image "$REPLUG_LOGGER"
}
