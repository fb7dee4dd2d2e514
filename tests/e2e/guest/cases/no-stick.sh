# No stick on the bus: the tool searches ten times, 200 ms apart, then gives up.
e2e_step search
started=$(uptime_ms)
run_tool n
took=$(($(uptime_ms) - started))
expect_code 2
expect_output "No Veskan Sticks were found."
e2e_figure search_ms "$took"
# Ten scans with nine pauses of 200 ms between them.
[ "$took" -ge 1800 ] || e2e_fail "the search gave up after $took ms, before its ten scans"
