# shellcheck shell=bash
# A full update of image 3 through /dev/ttyUSB0: the kernel's ftdi_sio carries every frame
# between sdupdate-cli in the guest and the simulated logger at the adapter's far end. The
# simulated flash must equal the image. A stale lock file (of a PID that runs no process) is
# left in /run/lock first: it must not stop the update, and the updater's own lock is gone
# after the run.

case_guest() {
    printf '%10d\n' 99999 >/run/lock/LCK..ttyUSB0
    [ -d /proc/99999 ] && fail "PID 99999 runs in the guest; the lock would not be stale"
    start_logged update sdupdate-cli --port /dev/ttyUSB0 --yes
    wait_until 60 output_has update '-> Class ' || { fail "no logger class within 60 s"; return 1; }
    local pid
    pid=$(tr -d ' \n' </run/lock/LCK..ttyUSB0 2>/dev/null)
    [ "$pid" = "$(pidof sdupdate-cli)" ] || fail "the lock holds '$pid', not the updater's PID"
    wait_logged update 120
    [ -e /run/lock/LCK..ttyUSB0 ] && fail "the lock file stayed after the update"
    return 0
}

case_check() {
    [ "$(guest_status update)" = 0 ] ||
        fail "the update ended with status $(guest_status update): $(tail -n 1 "$(guest_file update.out)")"
    flash_matches_image 0
}
