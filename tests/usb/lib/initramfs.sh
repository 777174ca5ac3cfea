# shellcheck shell=bash
# Sourced by tests/usb/run. The guest's initramfs: busybox, tests/usb/guest/init as /init, a
# small /etc, and the kernel modules the bench needs with their dependencies, in load order.
#
# usb_initramfs_prepare CACHE_DIR sets INITRAMFS to CACHE_DIR/initramfs.cpio.gz, rebuilding
# it only when one of its inputs changed (the init script, the module list, the kernel,
# busybox). Needs usb_kernel_prepare first (KERNEL_VERSION, KERNEL_MODULES).

# The modules the guest loads, by name: the xHCI controller QEMU offers the adapters on, the
# FTDI driver, and virtio + 9p for the shared folders.
USB_GUEST_MODULES=(xhci_pci ftdi_sio virtio_pci 9pnet_virtio 9p)

usb_initramfs_prepare() {
    local cache=$1
    local here
    here=$(dirname "${BASH_SOURCE[0]}")
    local init=$here/../guest/init
    INITRAMFS=$cache/initramfs.cpio.gz

    # The .ko files in the order modprobe would load them, dependencies first.
    local modroot=${KERNEL_MODULES%/lib/modules/*}
    local order
    order=$(for m in "${USB_GUEST_MODULES[@]}"; do
        modprobe -d "$modroot" -S "$KERNEL_VERSION" --show-depends "$m"
    done | awk '$1 == "insmod" && !seen[$2]++ { print $2 }')

    local inputs
    inputs=$( {
        sha256sum "$init" "${BASH_SOURCE[0]}" /bin/busybox
        echo "$KERNEL_VERSION"
        echo "$order"
    } | sha256sum | cut -d' ' -f1)
    if [ -f "$INITRAMFS" ] && [ "$(cat "$INITRAMFS.inputs" 2>/dev/null)" = "$inputs" ]; then
        return 0
    fi

    local stage=$cache/initramfs.d
    rm -rf "$stage"
    mkdir -p "$stage"/{bb,modules,etc,dev,proc,sys,run,tmp,xchg}
    cp /bin/busybox "$stage/bb/busybox"
    ln -s busybox "$stage/bb/sh" # the interpreter of /init; init links the other applets
    install -m 755 "$init" "$stage/init"
    local ko
    for ko in $order; do
        cp "$ko" "$stage/modules/"
        basename "$ko" >>"$stage/modules/order"
    done
    # root, the group that udev gives serial devices (dialout), and an unprivileged user
    # "tech" (1000) who is not in it.
    cat >"$stage/etc/passwd" <<'PASSWD'
root:x:0:0:root:/root:/bin/bash
tech:x:1000:1000:tech:/tmp:/bin/bash
PASSWD
    cat >"$stage/etc/group" <<'GROUP'
root:x:0:
dialout:x:20:
tech:x:1000:
GROUP
    echo bench >"$stage/etc/hostname"
    (cd "$stage" && find . | LC_ALL=C sort | cpio -o -H newc --quiet | gzip -1) >"$INITRAMFS.tmp"
    mv "$INITRAMFS.tmp" "$INITRAMFS"
    echo "$inputs" >"$INITRAMFS.inputs"
    rm -rf "$stage"
}
