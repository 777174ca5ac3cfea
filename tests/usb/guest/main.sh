# shellcheck shell=bash
# The case runner in the guest: /init runs it with the host's bash once the shares are mounted.
# The host copied it into this case's shared folder (/xchg) with guest-lib.sh, the case file
# (case.sh) and bench.env. It waits for the adapters plugged at boot, tells the host "booted",
# runs the case's guest part with its output in /xchg/guest.log, and tells the host "done".
source /xchg/bench.env
source /xchg/guest-lib.sh
source /xchg/case.sh

open_host_channel
open_pause_fifo
# The project's programs by name: sdupdate-cli, loggersim, port-events-probe.
export HOME=/root
export PATH=$BENCH_BUILD/src/cli:$BENCH_BUILD/src/sim:$BENCH_BUILD/tests/usb:/usr/bin:/usr/sbin:/bb
mkdir -p /root

adapters_present() {
    local n
    note "guest up; waiting for adapter(s) $BENCH_PLUGGED"
    for n in $BENCH_PLUGGED; do
        if ! wait_until 30 adapter_tty "$n" >/dev/null; then
            fail "adapter $n has no ttyUSB after 30 s"
            return 1
        fi
    done
    note "adapters present: $(cd /dev && echo ttyUSB*)"
}

adapters_present >>/xchg/guest.log 2>&1
present=$?
tell_host booted
if [ "$present" -eq 0 ]; then
    (case_guest) >>/xchg/guest.log 2>&1
    echo $? >/xchg/guest.rc
else
    echo 1 >/xchg/guest.rc
fi
note "guest part ended with status $(cat /xchg/guest.rc)" >>/xchg/guest.log
sync
tell_host "done"
