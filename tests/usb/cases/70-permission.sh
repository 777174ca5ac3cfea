# shellcheck shell=bash
# Permission: with udev running, ttyUSB0 belongs to root and the group dialout (mode 0660) as
# on a desktop; a user who is not in that group gets exit 10 (port not ready) and sends nothing.

case_guest() {
    start_udev || fail "udev did not start"
    ls -l /dev/ttyUSB0 >/xchg/tty-mode.txt
    # "tech" (uid 1000) belongs only to its own group (the guest's /etc comes from the
    # initramfs).
    local as_tech=(setpriv --reuid=1000 --regid=1000 --clear-groups env HOME=/tmp)
    if "${as_tech[@]}" test -r /dev/ttyUSB0 -o -w /dev/ttyUSB0; then
        fail "the user tech may open ttyUSB0 ($(cat /xchg/tty-mode.txt)); nothing to prove"
        return 1
    fi
    run_logged update "${as_tech[@]}" sdupdate-cli --port /dev/ttyUSB0 --yes
    expect_status update 10
}

case_check() {
    grep -q 'permission denied: the device belongs to group dialout' "$(guest_file update.err)" ||
        fail "no permission reason on stderr: $(head -n 1 "$(guest_file update.err)")"
    grep -q 'sudo usermod -aG dialout tech' "$(guest_file update.err)" ||
        fail "no fix on stderr: $(sed -n 2p "$(guest_file update.err)")"
    # The simulated logger saw nothing of it (it counts the frames when it ends).
    grep -q '^loggersim: 0 frames' "$CASE_DIR/logger-0.err" ||
        fail "the logger got frames: $(grep frames "$CASE_DIR/logger-0.err")"
}
