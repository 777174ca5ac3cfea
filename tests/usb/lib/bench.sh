# shellcheck shell=bash
# Sourced by tests/usb/run: the host's side of a case. A case file (tests/usb/cases/*.sh) uses
# these in case_setup, case_host and case_check; the guest's side is tests/usb/guest/lib.sh.
#
# Set by tests/usb/run before a case: BENCH_SOURCE (the project), BUILD (the build tree),
# CACHE (build/usb-bench), KERNEL_ELF, INITRAMFS, CASE_NAME, CASE_DIR (this case's folder,
# emptied first), XCHG (its subfolder shared with the guest as /xchg, writable).
#
# The machine: QEMU under TCG with an xHCI controller. Each simulated logger (loggersim) sits on
# a pseudo-terminal, which QEMU opens as the character device farNAME. Emulated FT232 adapter N
# (usb-serial, device id ftdiN, USB serial number BENCH<N>, on root port N+1) normally has the
# logger N as its far end. Guest console: CASE_DIR/console.log; QEMU's trace of the FTDI
# requests (usb_serial_*): CASE_DIR/trace.log; the monitor's answers and events:
# CASE_DIR/monitor.log.

LOGGERSIM_ARGS_IMAGE3=(--class 0x6601 --logger-version 0x0600 --platform 25 --print 52)

LOGGERS=()         # the names of the loggers set up by bench_logger
ADAPTERS=()        # the numbers of the adapters set up by bench_adapter
ADAPTER_PLUGGED=() # per adapter: 1 when plugged at boot
LOGGER_PIDS=()
QEMU_PID=
MONITOR_CAT_PID=

# fail REASON: records that the case failed (host side); see also fail in guest/lib.sh.
fail() {
    printf '%s\n' "$*" >>"$XCHG/failures"
    printf '%s: FAIL: %s\n' "$CASE_NAME" "$*" >>"$CASE_DIR/host.log"
}

# note TEXT: a line in CASE_DIR/host.log with the seconds since the case began.
note() {
    local ms=$(($(now_ms) - CASE_START_MS))
    printf '[%4d.%03d] %s\n' $((ms / 1000)) $((ms % 1000)) "$*" >>"$CASE_DIR/host.log"
}

now_ms() {
    local t=${EPOCHREALTIME/./}
    echo $((t / 1000))
}

# bench_logger NAME [LOGGERSIM_ARGS...]: a simulated logger that image 3 fits (extra arguments
# go to loggersim, e.g. --baud 9600), the far end of the character device farNAME. It writes
# its flash to CASE_DIR/flash-NAME.hex when it ends. bench_adapter makes logger N for adapter
# N; a logger of its own is for an adapter plugged in later with another far end
# (plug_adapter N NAME).
bench_logger() {
    local name=$1
    shift
    "$BUILD/src/sim/loggersim" "${LOGGERSIM_ARGS_IMAGE3[@]}" "$@" \
        --link "$CASE_DIR/logger-$name.pty" --flash-out "$CASE_DIR/flash-$name.hex" \
        >"$CASE_DIR/logger-$name.out" 2>"$CASE_DIR/logger-$name.err" &
    LOGGER_PIDS+=($!)
    local _
    for _ in $(seq 100); do
        [ -e "$CASE_DIR/logger-$name.pty" ] && break
        sleep 0.05
    done
    if [ ! -e "$CASE_DIR/logger-$name.pty" ]; then
        fail "loggersim $name did not start: $(tail -n 1 "$CASE_DIR/logger-$name.err")"
        return 1
    fi
    LOGGERS+=("$name")
}

# bench_adapter N [--unplugged] [LOGGERSIM_ARGS...]: emulated adapter N with logger N (see
# bench_logger) at its far end. --unplugged: the adapter is not in the machine at boot;
# plug_adapter N adds it.
bench_adapter() {
    local n=$1 plugged=1
    shift
    if [ "${1:-}" = --unplugged ]; then
        plugged=0
        shift
    fi
    bench_logger "$n" "$@" || return 1
    ADAPTERS+=("$n")
    ADAPTER_PLUGGED[$n]=$plugged
}

adapter_device() { # adapter_device N [LOGGER]: the -device value of adapter N
    echo "usb-serial,chardev=far${2:-$1},id=ftdi$1,bus=hc.0,port=$(($1 + 1)),serial=BENCH$1"
}

# bench_boot: starts the guest in the background. The guest's /init runs guest/main.sh from
# XCHG, which runs the case's case_guest.
bench_boot() {
    local here n plugged=()
    here=$(dirname "${BASH_SOURCE[0]}")
    for n in "${ADAPTERS[@]}"; do
        [ "${ADAPTER_PLUGGED[$n]}" = 1 ] && plugged+=("$n")
    done
    cat >"$XCHG/bench.env" <<ENV
BENCH_BUILD='$BUILD'
BENCH_PLUGGED='${plugged[*]}'
CASE_NAME='$CASE_NAME'
ENV
    cp "$here/../guest/main.sh" "$XCHG/guest-main.sh"
    cp "$here/../guest/lib.sh" "$XCHG/guest-lib.sh"
    cp "$CASE_FILE" "$XCHG/case.sh"

    local qemu=(qemu-system-x86_64 -nodefaults -no-user-config -nographic -no-reboot
        -accel tcg -m 512 -smp 1 -name "usb-bench-$CASE_NAME"
        -kernel "$KERNEL_ELF" -initrd "$INITRAMFS"
        -append "console=ttyS0 acpi=off mitigations=off panic=-1 ${USB_BENCH_KERNEL_ARGS:-quiet loglevel=4}"
        # ttyS0: the console; ttyS1: the line channel of tell_guest/wait_guest.
        -serial "file:$CASE_DIR/console.log"
        -chardev "pipe,id=ctl,path=$CASE_DIR/ctl" -serial chardev:ctl
        # The monitor speaks QMP (JSON): its answers and events (DEVICE_DELETED) are kept
        # in monitor.log as they are; HMP commands go through human-monitor-command.
        -chardev "pipe,id=mon,path=$CASE_DIR/mon" -mon chardev=mon,mode=control
        -virtfs "local,path=/usr,mount_tag=hostusr,security_model=none,readonly=on"
        -virtfs "local,path=$BUILD,mount_tag=build,security_model=none,readonly=on"
        -virtfs "local,path=$XCHG,mount_tag=xchg,security_model=none"
        -trace 'usb_serial_*' -D "$CASE_DIR/trace.log" -msg timestamp=on
        -device qemu-xhci,id=hc)
    for n in "${LOGGERS[@]}"; do
        qemu+=(-chardev "serial,id=far$n,path=$(readlink -f "$CASE_DIR/logger-$n.pty")")
    done
    for n in "${ADAPTERS[@]}"; do
        [ "${ADAPTER_PLUGGED[$n]}" = 1 ] && qemu+=(-device "$(adapter_device "$n")")
    done

    # Each pipe chardev is two FIFOs, NAME.in (to QEMU) and NAME.out (from QEMU). Opened here
    # for reading and writing, so that no open blocks and no write fails if QEMU ends early.
    mkfifo "$CASE_DIR/ctl.in" "$CASE_DIR/ctl.out" "$CASE_DIR/mon.in" "$CASE_DIR/mon.out"
    exec {CTL_TO_GUEST}<>"$CASE_DIR/ctl.in" {CTL_FROM_GUEST}<>"$CASE_DIR/ctl.out"
    exec {MON_IN}<>"$CASE_DIR/mon.in"
    cat "$CASE_DIR/mon.out" >"$CASE_DIR/monitor.log" &
    MONITOR_CAT_PID=$!

    printf '%q ' "${qemu[@]}" >"$CASE_DIR/qemu.cmd"
    note "boot"
    "${qemu[@]}" </dev/null 2>"$CASE_DIR/qemu.err" &
    QEMU_PID=$!
    # QMP takes commands once capabilities are negotiated; QEMU reads this when it is ready.
    printf '{"execute": "qmp_capabilities"}\n' >&"$MON_IN"
}

guest_alive() {
    [ -n "$QEMU_PID" ] && kill -0 "$QEMU_PID" 2>/dev/null
}

# tell_guest WORD: a line to the guest (wait_host there).
tell_guest() {
    note "tell guest: $1"
    printf '%s\n' "$1" >&"$CTL_TO_GUEST"
}

# wait_guest WORD [SECONDS]: waits for the guest's tell_host WORD (default 60 s). The channel
# is a UART: a line may come in pieces, which are joined here. Status 1, with the case failed,
# on a time-out or when the guest ends first.
wait_guest() {
    local word=$1 seconds=${2:-60} line pending="" rc
    local deadline=$((SECONDS + seconds))
    while [ "$SECONDS" -lt "$deadline" ]; do
        rc=0
        IFS= read -r -t 1 -u "$CTL_FROM_GUEST" line || rc=$?
        if [ "$rc" -eq 0 ]; then
            line=$pending$line
            pending=
            note "guest says: $line"
            [ "$line" = "$word" ] && return 0
        elif [ "$rc" -gt 128 ]; then
            pending+=$line # a time-out: keep what came of the line so far
            guest_alive || break
        else
            break
        fi
    done
    if guest_alive; then
        fail "the guest did not send '$word' within $seconds s"
    elif [ -s "$CASE_DIR/qemu.err" ]; then
        fail "the guest ended before it sent '$word': $(tail -n 1 "$CASE_DIR/qemu.err")"
    else
        fail "the guest ended before it sent '$word' (see console.log)"
    fi
    return 1
}

# monitor COMMAND: a command of QEMU's human monitor (HMP), e.g. "device_del ftdi0"; the answer
# goes to monitor.log. It returns when the command is sent: a device_del or device_add is done
# when the guest sees it.
monitor() {
    note "monitor: $*"
    local command=${*//\\/\\\\}
    command=${command//\"/\\\"}
    printf '{"execute": "human-monitor-command", "arguments": {"command-line": "%s"}}\n' \
        "$command" >&"$MON_IN"
}

# unplug_adapter N / plug_adapter N [LOGGER]: pulls adapter N out of the machine or plugs it in
# (again), on its own port and with its own serial number, so that the guest sees the same
# adapter. Its far end is logger N, or LOGGER when given.
unplug_adapter() {
    monitor "device_del ftdi$1"
}
plug_adapter() {
    monitor "device_add $(adapter_device "$1" "${2:-}")"
}

# bench_wait_guest_end SECONDS: waits for the guest's "done" and then for QEMU to end; a guest
# still running after SECONDS (or 15 s after "done") is killed and the case fails.
bench_wait_guest_end() {
    wait_guest "done" "$1" || true
    local _
    for _ in $(seq 150); do
        guest_alive || break
        sleep 0.1
    done
    if guest_alive; then
        fail "the guest did not power off"
    fi
    bench_stop_guest
}

bench_stop_guest() {
    if guest_alive; then
        kill -TERM "$QEMU_PID" 2>/dev/null
    fi
    if [ -n "$QEMU_PID" ]; then
        wait "$QEMU_PID" 2>/dev/null
        QEMU_PID=
    fi
    if [ -n "$MONITOR_CAT_PID" ]; then
        kill "$MONITOR_CAT_PID" 2>/dev/null
        wait "$MONITOR_CAT_PID" 2>/dev/null
        MONITOR_CAT_PID=
    fi
}

# bench_stop_loggers: ends every loggersim (SIGTERM), which then writes flash-N.hex.
bench_stop_loggers() {
    local pid
    for pid in "${LOGGER_PIDS[@]}"; do
        kill -TERM "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    LOGGER_PIDS=()
}

# flash_matches_image NAME: true when the flash of logger NAME holds exactly the data records of
# image 3 (the same comparison as scripts/demo); otherwise fails the case saying why.
flash_matches_image() {
    local flash=$CASE_DIR/flash-$1.hex
    tr -d '\r' <"$BENCH_SOURCE/src/firmware/images/image3.txt" |
        grep -v '=' | grep -v -x ':00000001FF' | grep -v '^$' >"$CASE_DIR/image3.data"
    if [ ! -s "$flash" ]; then
        fail "logger $1 wrote no flash"
        return 1
    fi
    if ! tr -d '\r' <"$flash" | grep -v -x ':00000001FF' | cmp -s - "$CASE_DIR/image3.data"; then
        fail "the flash of logger $1 differs from image 3 ($(grep -vc -x ':00000001FF' "$flash") records)"
        return 1
    fi
}

# guest_file NAME: the path of what the guest left in /xchg as NAME.
guest_file() {
    echo "$XCHG/$1"
}

# guest_status NAME: the exit status of the guest's command NAME (run_logged), or "none".
guest_status() {
    cat "$XCHG/$1.rc" 2>/dev/null || echo none
}
