# shellcheck shell=bash
# Helpers for the guest part of a case (case_guest). Sourced by the case runner in the guest.
# Everything a case leaves in /xchg is on the host in build/usb-bench/cases/NAME/xchg/.
#
# Talking to the host: the guest's second serial port (ttyS1) is a line channel to tests/usb/
# run; tell_host WORD sends a line, wait_host WORD waits for one. The host's side is tell_guest
# and wait_guest in tests/usb/lib/bench.sh.

# Opens the channel once for the whole run, raw and without echo, as descriptor 7.
open_host_channel() {
    stty -F /dev/ttyS1 raw -echo -echoe -echok -echoctl -echoke 115200
    exec 7<>/dev/ttyS1
}

tell_host() {
    printf '%s\n' "$1" >&7
}

# wait_host WORD [SECONDS]: waits for the host to send WORD (default 60 s); lines that are not
# WORD are skipped. Fails the case on a time-out.
wait_host() {
    local word=$1 seconds=${2:-60} line
    local deadline=$((SECONDS + seconds))
    while [ "$SECONDS" -lt "$deadline" ]; do
        if IFS= read -r -t $((deadline - SECONDS)) -u 7 line && [ "$line" = "$word" ]; then
            return 0
        fi
    done
    fail "the host did not send '$word' within $seconds s"
    return 1
}

# fail REASON: records that the case failed; the host prints the first reason on the FAIL line.
fail() {
    printf '%s\n' "$*" >>/xchg/failures
    note "FAIL: $*"
}

# note TEXT: a line in the guest's log, with the seconds since boot.
note() {
    local up
    read -r up _ </proc/uptime
    printf '[%8s] %s\n' "$up" "$*"
}

# The guest has one virtual CPU under TCG: every process a wait loop starts takes time from
# the program under test. The waits below start none (bash built-ins only).

# open_pause_fifo: a FIFO that nobody writes, as descriptor 8, for pause.
open_pause_fifo() {
    mkfifo /tmp/.pause && exec 8<>/tmp/.pause
}

# pause SECONDS: sleeps without starting a process (a read that times out).
pause() {
    read -r -t "$1" -u 8 _ || true
}

# wait_until SECONDS COMMAND...: runs COMMAND every 100 ms until it succeeds; status 1 when it
# did not within SECONDS.
wait_until() {
    local deadline=$(($(now_us) + $1 * 1000000))
    shift
    until "$@"; do
        [ "$(now_us)" -lt "$deadline" ] || return 1
        pause 0.1
    done
}

# now_us: microseconds of the wall clock (bash's own, no process started).
now_us() {
    echo "${EPOCHREALTIME/./}"
}

# adapter_tty N: prints the device (/dev/ttyUSBx) of emulated adapter N, found by the USB
# serial number the host gave it (BENCH<N>); status 1 while it is not there.
adapter_tty() {
    local tty serial
    for tty in /sys/class/tty/ttyUSB*; do
        [ -e "$tty" ] || continue
        serial=$(cat "$tty/device/../../serial" 2>/dev/null) || continue
        if [ "$serial" = "BENCH$1" ]; then
            echo "/dev/${tty##*/}"
            return 0
        fi
    done
    return 1
}

# run_logged NAME COMMAND...: runs COMMAND with stdout, stderr, exit status and run time in
# milliseconds in /xchg/NAME.out, .err, .rc, .ms. Returns the command's status.
run_logged() {
    local name=$1 rc=0 start
    shift
    note "run $name: $*"
    start=$(now_us)
    "$@" >"/xchg/$name.out" 2>"/xchg/$name.err" || rc=$?
    echo $((($(now_us) - start) / 1000)) >"/xchg/$name.ms"
    echo "$rc" >"/xchg/$name.rc"
    note "$name ended with status $rc after $(cat "/xchg/$name.ms") ms"
    return "$rc"
}

# start_logged NAME COMMAND...: run_logged in the background. The command's own process id is
# in /xchg/NAME.pid once it runs; wait_logged waits for the end.
start_logged() {
    local name=$1
    shift
    rm -f "/xchg/$name.rc" "/xchg/$name.pid"
    (
        note "start $name: $*"
        start=$(now_us)
        "$@" >"/xchg/$name.out" 2>"/xchg/$name.err" &
        echo $! >"/xchg/$name.pid"
        rc=0
        wait $! || rc=$?
        echo $((($(now_us) - start) / 1000)) >"/xchg/$name.ms"
        echo "$rc" >"/xchg/$name.rc"
        note "$name ended with status $rc after $(cat "/xchg/$name.ms") ms"
    ) &
    wait_until 10 test -s "/xchg/$name.pid"
}

# running NAME: true while the command started as NAME has not ended.
running() {
    [ ! -e "/xchg/$1.rc" ]
}

# wait_logged NAME SECONDS: waits for the command started as NAME to end; on a time-out it is
# killed (SIGKILL) and the case fails.
wait_logged() {
    if ! wait_until "$2" test -e "/xchg/$1.rc"; then
        fail "$1 did not end within $2 s"
        kill -KILL "$(cat "/xchg/$1.pid")" 2>/dev/null
        wait_until 5 test -e "/xchg/$1.rc"
        return 1
    fi
}

# output_has NAME REGEX: true when a line of the stdout of NAME matches REGEX (extended).
output_has() {
    local line
    [ -e "/xchg/$1.out" ] || return 1
    while IFS= read -r line; do
        [[ $line =~ $2 ]] && return 0
    done <"/xchg/$1.out"
    return 1
}

# expect_status NAME CODE: fails the case unless the command NAME ended with status CODE.
expect_status() {
    local rc
    rc=$(cat "/xchg/$1.rc" 2>/dev/null || echo none)
    if [ "$rc" != "$2" ]; then
        fail "$1 ended with status $rc, expected $2 ($(tail -n 1 "/xchg/$1.err" 2>/dev/null))"
        return 1
    fi
}

# start_udev: the host's systemd-udevd from the shared /usr, replaying the "add" events of the
# USB devices and the USB ttys present, so that /dev/serial/by-id and the ttys' group and mode
# are as on a desktop. (Replaying every device would cost seconds under TCG.) Later events
# come from the kernel as they happen.
start_udev() {
    mkdir -p /run/udev
    /usr/lib/systemd/systemd-udevd --daemon || return 1
    udevadm trigger --action=add --subsystem-match=usb --subsystem-match=usb-serial &&
        udevadm trigger --action=add --subsystem-match=tty --sysname-match='ttyUSB*' &&
        udevadm settle --timeout=20
}
