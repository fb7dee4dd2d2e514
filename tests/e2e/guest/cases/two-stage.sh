# A stick with firmware 1, 0, 3, 5 takes the migration ISO, the migration kernel and the main
# image, rebooting after each, and ends with 4, 0, 1, 3.
e2e_step attach
start_stick two-stage-success stick-1035.iso
e2e_figure stick_attached_ms "$(uptime_ms)"
first_sg=$(stick_sg)
first_sr=$(stick_sr)
# While the first nodes are held open their numbers stay taken, so the stick comes back from
# each reboot under new ones: the tool must find it by its place on the bus, not by its node.
sleep 100000 <"/dev/$first_sg" &
sleep 100000 <"/dev/$first_sr" &

e2e_step update
run_tool y --yes --timing
expect_output "Qivar Version: 1, 0, 3, 5"
expect_output "Update Done"
expect_code 0
report_timing

e2e_step images
expect_received 0 2 /e2e/expected/migration.iso
expect_received 1 1 /e2e/expected/migration-kernel.img
expect_received 2 2 /e2e/expected/main.iso
expect_no_received 3

e2e_step new-version
expect_stick_version "4, 0, 1, 3"
now_sg=$(stick_sg)
echo "the stick was $first_sg and $first_sr, is now $now_sg and $(stick_sr)"
[ "$now_sg" != "$first_sg" ] || e2e_fail "the stick came back under its first node $first_sg"

e2e_step stop
stop_stick
