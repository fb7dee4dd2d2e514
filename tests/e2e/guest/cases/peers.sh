# Other programs see the virtual stick as the kernel shows it: sg3_utils reads its identity and
# gets a status reply, the kernel mounts its volume, and the tool reads its version.
e2e_step attach
start_stick single-stage-success stick-4012.iso
e2e_figure stick_attached_ms "$(uptime_ms)"
sg=$(stick_sg)
sr=$(stick_sr)

e2e_step sg_inq
sg_inq "/dev/$sg" >/tmp/inq.out 2>&1 || { cat /tmp/inq.out; e2e_fail "sg_inq failed"; }
cat /tmp/inq.out
grep -q 'Vendor identification: KORVALIN' /tmp/inq.out || e2e_fail "sg_inq shows another vendor"
grep -q 'Product identification: QX-LM704' /tmp/inq.out || e2e_fail "sg_inq shows another product"
grep -q 'PDT=5' /tmp/inq.out || e2e_fail "sg_inq shows another peripheral type than CD-ROM"

e2e_step sg_raw
sg_raw -r 12 "/dev/$sg" EF 00 00 0C 00 00 00 00 00 00 00 00 00 00 00 00 >/tmp/raw.out 2>&1 ||
    { cat /tmp/raw.out; e2e_fail "sg_raw failed"; }
cat /tmp/raw.out
grep -qi '^ *00 *ab c0 52 07' /tmp/raw.out || e2e_fail "the status reply does not start AB C0 52 07"

e2e_step mount
mount -t iso9660 -o ro "/dev/$sr" /mnt || e2e_fail "the kernel cannot mount the stick's volume"
ls /mnt
[ -f /mnt/QivarGUIMain.exe ] || e2e_fail "QivarGUIMain.exe is not on the stick's volume"

e2e_step read-version
# Through the mount point.
expect_stick_version "4, 0, 1, 2"
expect_output "VolumeLabel: KESTRN"
umount /mnt

e2e_step stop
stop_stick
