# shellcheck shell=bash
# A full update of image 3 through /dev/ttyUSB0: the kernel's ftdi_sio carries every frame
# between sdupdate-cli in the guest and the simulated logger at the adapter's far end. The
# simulated flash must equal the image.

case_guest() {
    run_logged update sdupdate-cli --port /dev/ttyUSB0 --yes
}

case_check() {
    [ "$(guest_status update)" = 0 ] ||
        fail "the update ended with status $(guest_status update): $(tail -n 1 "$(guest_file update.out)")"
    flash_matches_image 0
}
