# shellcheck shell=bash
# Exclusive access: while one update runs on ttyUSB0, a second updater on the same port is
# refused with exit 10 (port not ready) and the first one goes on to succeed.

case_guest() {
    start_logged first sdupdate-cli --port /dev/ttyUSB0 --yes
    # The logger's class in the report: the first updater has the port open.
    wait_until 60 output_has first '-> Class ' ||
        { fail "the first update reported no logger class within 60 s"; return 1; }
    run_logged second sdupdate-cli --port /dev/ttyUSB0 --yes
    running first || fail "the first update ended before the second was refused; nothing proven"
    expect_status second 10
    wait_logged first 120 && expect_status first 0
}

case_check() {
    flash_matches_image 0
}
