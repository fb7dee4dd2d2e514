# A stick with firmware 4, 0, 1, 2 takes the main image and comes back from its reboot with
# 4, 0, 1, 3, the version of the main image's QivarGUIMain.exe.
e2e_step attach
start_stick single-stage-success stick-4012.iso
e2e_figure stick_attached_ms "$(uptime_ms)"

e2e_step update
run_tool y --yes --timing
expect_output "Qivar Version: 4, 0, 1, 2"
expect_output "Update Done"
expect_code 0
report_timing

e2e_step images
expect_received 0 2 /e2e/expected/main.iso
expect_no_received 1

e2e_step new-version
wait_for_stick 30 || e2e_fail "the stick did not come back from its reboot"
# Mounted, the new volume shows its Rock Ridge tree, which holds only a note: the tool reads
# QivarGUIMain.exe from the volume's Joliet tree instead.
mount -t iso9660 -o ro "/dev/$(stick_sr)" /mnt || e2e_fail "the kernel cannot mount the new volume"
ls /mnt
expect_stick_version "4, 0, 1, 3"
umount /mnt

e2e_step stop
stop_stick
