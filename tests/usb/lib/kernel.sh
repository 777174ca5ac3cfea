# shellcheck shell=bash
# Sourced by tests/usb/run. The guest's kernel: Debian's own linux-image package, downloaded and
# extracted into the bench's cache, never installed on the host.
#
# usb_kernel_prepare CACHE_DIR sets
#   KERNEL_ELF      the plain vmlinux ELF that QEMU boots through its PVH entry
#   KERNEL_VERSION  the release, e.g. 6.1.0-57-amd64
#   KERNEL_MODULES  the extracted lib/modules/$KERNEL_VERSION (with modules.dep)
# A second call finds everything in CACHE_DIR/kernel and asks apt nothing.

usb_kernel_prepare() {
    local dir=$1/kernel
    local stamp=$dir/ready
    if [ -f "$stamp" ]; then
        KERNEL_VERSION=$(cat "$stamp")
    else
        rm -rf "$dir"
        mkdir -p "$dir"
        # The kernel package that the metapackage points to. Package lists that are missing or
        # out of date (the mirror has moved on to another kernel) are fetched anew once.
        local package
        if ! package=$(usb_kernel_package) ||
            ! (cd "$dir" && apt-get download -q -o APT::Sandbox::User=root "$package" >&2); then
            local sudo=()
            [ "$(id -u)" -eq 0 ] || sudo=(sudo)
            "${sudo[@]}" apt-get update -q >&2
            package=$(usb_kernel_package) || return 1
            (cd "$dir" && apt-get download -q -o APT::Sandbox::User=root "$package" >&2)
        fi
        dpkg-deb -x "$dir"/"$package"_*.deb "$dir/root"
        KERNEL_VERSION=${package#linux-image-}
        # The package ships without modules.dep: make it for modprobe --show-depends.
        depmod -b "$dir/root" "$KERNEL_VERSION"
        # The vmlinuz is an XZ-compressed bzImage; decompressing it under TCG costs seconds at
        # every boot. The plain ELF starts at the XZ stream's magic FD 37 7A 58 5A 00; what
        # follows the stream in the file is not XZ, hence the ignored complaint of xz.
        local vmlinuz=$dir/root/boot/vmlinuz-$KERNEL_VERSION
        local offset
        offset=$(LC_ALL=C grep -obUaP -m 1 '\xfd7zXZ\x00' "$vmlinuz" | tr -d '\0' | cut -d: -f1 || true)
        offset=${offset%%$'\n'*}
        [ -n "$offset" ] || { echo "test-usb: no XZ stream in $vmlinuz" >&2; return 1; }
        tail -c +$((offset + 1)) "$vmlinuz" | xz -dc >"$dir/vmlinux" 2>/dev/null || true
        if ! head -c 4 "$dir/vmlinux" | grep -q 'ELF'; then
            echo "test-usb: could not cut the ELF kernel out of $vmlinuz" >&2
            return 1
        fi
        rm -f "$dir"/*.deb
        echo "$KERNEL_VERSION" >"$stamp"
    fi
    KERNEL_ELF=$dir/vmlinux
    KERNEL_MODULES=$dir/root/lib/modules/$KERNEL_VERSION
}

# usb_kernel_package: the name of the kernel package linux-image-amd64 depends on, e.g.
# linux-image-6.1.0-57-amd64; status 1 when apt does not know it.
usb_kernel_package() {
    local package
    package=$(apt-cache depends linux-image-amd64 2>/dev/null |
        awk '$1 == "Depends:" && $2 ~ /^linux-image-[0-9].*-amd64$/ { print $2; exit }')
    if [ -z "$package" ]; then
        echo "test-usb: apt knows no kernel package behind linux-image-amd64" >&2
        return 1
    fi
    echo "test-usb: kernel package $package" >&2
    echo "$package"
}
