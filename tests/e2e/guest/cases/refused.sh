# The stick refuses the migration ISO as invalid firmware. The verdict is only shown: the
# kernel and the main image still go, so the stick ends with the main image's version, but the
# tool reports the update as not done.
e2e_step attach
start_stick invalid-firmware stick-1035.iso

e2e_step update
run_tool y --yes
expect_output "Invalid Firmware"
expect_code 1

e2e_step images
expect_received 0 2 /e2e/expected/migration.iso
expect_received 1 1 /e2e/expected/migration-kernel.img
expect_received 2 2 /e2e/expected/main.iso

e2e_step new-version
expect_stick_version "4, 0, 1, 3"

e2e_step stop
stop_stick
