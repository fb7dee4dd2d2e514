#!/usr/bin/env bash
# Builds the initramfs of the end-to-end test guest: busybox, the kernel modules of the USB
# gadget and SCSI CD-ROM stacks, the project's programs with the shared libraries they load,
# and the files the test cases need. The result is an uncompressed cpio archive, which the
# kernel unpacks faster than a compressed one under software emulation.
#
#   make-guest.sh --output FILE --release KERNEL_RELEASE --init FILE
#                 [--program SOURCE=DEST]... [--file SOURCE=DEST]...
#
# --program copies an executable and every library `ldd` names for it; --file copies a file.
set -euo pipefail

output='' release='' init=''
programs=() files=()
while (($#)); do
    case "$1" in
    --output) output=$2; shift 2 ;;
    --release) release=$2; shift 2 ;;
    --init) init=$2; shift 2 ;;
    --program) programs+=("$2"); shift 2 ;;
    --file) files+=("$2"); shift 2 ;;
    *) echo "make-guest.sh: unknown argument '$1'" >&2; exit 2 ;;
    esac
done
for required in output release init; do
    [[ -n ${!required} ]] || { echo "make-guest.sh: --$required is missing" >&2; exit 2; }
done

# The modules in the order they depend on each other: busybox insmod resolves nothing itself.
modules=(
    fs/configfs/configfs
    drivers/usb/common/usb-common
    drivers/usb/core/usbcore
    drivers/usb/gadget/udc/udc-core
    drivers/usb/gadget/udc/dummy_hcd
    drivers/usb/gadget/libcomposite
    drivers/usb/gadget/function/usb_f_fs
    drivers/scsi/scsi_common
    drivers/scsi/scsi_mod
    drivers/usb/storage/usb-storage
    drivers/cdrom/cdrom
    drivers/scsi/sr_mod
    drivers/scsi/sg
    fs/isofs/isofs
)

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
chmod 755 "$root"
mkdir -p "$root"/{bin,dev,etc,lib/modules,proc,sys,tmp,run,mnt,home/tester}

cp /bin/busybox "$root/bin/busybox"
cp "$init" "$root/init"
chmod 755 "$root/init"

module_dir=/lib/modules/$release/kernel
for module in "${modules[@]}"; do
    source="$module_dir/$module.ko"
    [[ -f $source ]] || { echo "make-guest.sh: $source is missing" >&2; exit 1; }
    cp "$source" "$root/lib/modules/"
    basename "$module" >>"$root/lib/modules/order"
done

copy() { # SOURCE DEST
    mkdir -p "$root$(dirname "$2")"
    cp -L "$1" "$root$2"
}

for entry in "${programs[@]}"; do
    source=${entry%%=*} dest=${entry#*=}
    mkdir -p "$root$(dirname "$dest")"
    # Without debug information: the guest unpacks every byte at each boot.
    strip --strip-debug -o "$root$dest" "$source"
    chmod 755 "$root$dest"
    # Each library at the path the loader will look for it.
    while read -r library; do
        [[ -e $root$library ]] || copy "$library" "$library"
    done < <(ldd "$source" | grep -o '/[^ ]*')
done

for entry in "${files[@]}"; do
    copy "${entry%%=*}" "${entry#*=}"
done

# root, and the user who runs the tool: a member of the cdrom group, as on a desktop.
cat >"$root/etc/passwd" <<'PASSWD'
root:x:0:0:root:/root:/bin/sh
tester:x:1000:1000:Tester:/home/tester:/bin/sh
PASSWD
cat >"$root/etc/group" <<'GROUP'
root:x:0:
cdrom:x:24:tester
tester:x:1000:
GROUP
# What udev does on a desktop: the CD-ROM's block and SCSI generic nodes belong to the cdrom
# group. mdev, called by the kernel for every device event, applies it.
cat >"$root/etc/mdev.conf" <<'MDEV'
sr[0-9]+ 0:24 660
sg[0-9]+ 0:24 660
MDEV
chmod 1777 "$root/tmp"

(cd "$root" && find . -print0 | LC_ALL=C sort -z |
    cpio --null --create --format=newc --owner=0:0 --quiet) >"$output.part"
mv "$output.part" "$output"
