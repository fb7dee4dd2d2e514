# The stick leaves the bus in the middle of the main image and never comes back: the write
# fails, the tool says so and exits 1, and the stick holds no complete image.
e2e_step attach
start_stick vanishes-mid-write stick-4012.iso

e2e_step update
run_tool y --yes
expect_output "Qivar Version: 4, 0, 1, 2"
expect_output "firmware upload failed."
expect_code 1

e2e_step stick
expect_no_received 0
[ -z "$(stick_sg)" ] || e2e_fail "the stick is still on the bus"
stop_stick
