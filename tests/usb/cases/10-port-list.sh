# shellcheck shell=bash
# The port list: `sdupdate-cli --list-ports` (the function behind the window's port list) finds
# the guest's ttyUSB0 through the real sysfs tree, by the name of the driver bound to it.

case_guest() {
    run_logged list sdupdate-cli --list-ports
    # What the list is made of, for the log: the tty's device and its driver.
    ls -l /sys/class/tty/ttyUSB0 /sys/class/tty/ttyUSB0/device/driver
}

case_check() {
    local listed
    listed=$(cat "$(guest_file list.out)")
    [ "$(guest_status list)" = 0 ] || fail "--list-ports ended with status $(guest_status list)"
    [ "$listed" = ttyUSB0 ] || fail "--list-ports gave '$listed', expected 'ttyUSB0'"
}
