# shellcheck shell=bash
# Hotplug: with udev running in the guest, the desktop program's port monitor (TPortMonitor)
# reports the removal and the arrival of the adapter (QEMU monitor device_del / device_add),
# the device-change rules run on each event and the port list follows. port-events-probe does
# what the window does, headless (see tests/usb/port_events_probe.cpp for its output).

case_guest() {
    start_udev || fail "udev did not start"
    ls -l /dev/serial/by-id/ >/xchg/by-id.txt 2>&1
    udevadm info --query=property --name=/dev/ttyUSB0 >/xchg/udev-ttyUSB0.txt 2>&1
    start_logged probe port-events-probe --events 2
    wait_until 20 output_has probe '^start ' || { fail "the probe did not start"; return 1; }

    tell_host unplug
    wait_until 20 output_has probe '^ports ' ||
        fail "the probe reported no removal within 20 s"
    run_logged list-unplugged sdupdate-cli --list-ports

    tell_host plug
    wait_logged probe 30 || return 1
    expect_status probe 0
    run_logged list-plugged sdupdate-cli --list-ports
}

case_host() {
    wait_guest unplug 60 && unplug_adapter 0 &&
        wait_guest plug 60 && plug_adapter 0
}

case_check() {
    # Events other than the arrival or removal of a tty (none are expected) must leave the
    # selector alone; they are left out of the comparison.
    local probe expected
    if grep 'port-change=no' "$(guest_file probe.out)" | grep -qv 'refilled=no'; then
        fail "an event that is no port change refilled the port list"
    fi
    probe=$(grep -v 'port-change=no' "$(guest_file probe.out)")
    # At start ttyUSB0 is listed and selected. On the removal the list is refilled empty, the
    # field keeps the name, nothing is selected, and the list drops down (an active, idle
    # window); on the arrival the open list is closed, refilled with ttyUSB0 and dropped again.
    expected="start entries=[ttyUSB0] text=ttyUSB0 index=0
event remove ttyUSB0 port-change=yes refilled=yes close-list=no repaint=yes drop-list=yes
ports entries=[] text=ttyUSB0 index=-1
event add ttyUSB0 port-change=yes refilled=yes close-list=yes repaint=yes drop-list=yes
ports entries=[ttyUSB0] text=ttyUSB0 index=-1"
    if [ "$probe" != "$expected" ]; then
        fail "the probe reported [${probe//$'\n'/ | }], expected [${expected//$'\n'/ | }]"
    fi
    [ -z "$(cat "$(guest_file list-unplugged.out)")" ] ||
        fail "--list-ports gave '$(cat "$(guest_file list-unplugged.out)")' with the adapter out"
    [ "$(cat "$(guest_file list-plugged.out)")" = ttyUSB0 ] ||
        fail "--list-ports gave '$(cat "$(guest_file list-plugged.out)")' after the adapter came back"
}
