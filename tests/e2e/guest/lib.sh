# Helpers of the end-to-end test cases, sourced by the guest's init before a case.
#
# A case announces each step (e2e_step), fails with a reason (e2e_fail) and ends in e2e_pass.
# The host reads the console: "E2E-STEP name", "E2E-FIGURE name=value", and one
# "E2E-RESULT PASS" or "E2E-RESULT FAIL [step] reason".

E2E_STEP=start
STICK_LOG=/tmp/stick.log
STICK_KEEP=/tmp/received
TOOL_OUT=/tmp/tool.out

e2e_step() {
    E2E_STEP=$1
    echo "E2E-STEP $1"
}

e2e_fail() {
    echo "E2E-RESULT FAIL [$E2E_STEP] $*"
    for log in "$TOOL_OUT" "$STICK_LOG"; do
        [ -s "$log" ] && { echo "---- $log"; cat "$log"; }
    done
    exit 1
}

e2e_pass() {
    echo "E2E-RESULT PASS"
}

e2e_figure() { # NAME VALUE
    echo "E2E-FIGURE $1=$2"
}

# Milliseconds since the guest's kernel started, to the hundredth of a second.
uptime_ms() {
    echo "$(cut -d' ' -f1 /proc/uptime | tr -d .)0"
}

# The SCSI generic node (sgN) of the stick, or nothing while it is off the bus.
stick_sg() {
    for node in /sys/class/scsi_generic/sg*; do
        [ -e "$node/device/vendor" ] || continue
        case "$(cat "$node/device/vendor")" in
        KORVALIN*) basename "$node"; return ;;
        esac
    done
}

# Its block node (srN).
stick_sr() {
    sg=$(stick_sg)
    [ -n "$sg" ] && ls "/sys/class/scsi_generic/$sg/device/block" 2>/dev/null
}

# Starts the virtual stick on SCENARIO serving MEDIUM, and waits until the kernel has attached
# it as a CD-ROM that the cdrom group may open.
start_stick() { # SCENARIO MEDIUM
    mkdir -p "$STICK_KEEP"
    kestrun-virtual-stick --scenario "/e2e/scenarios/$1.json" --medium "/e2e/media/$2" \
        --keep "$STICK_KEEP" >"$STICK_LOG" 2>&1 &
    STICK_PID=$!
    wait_for_stick 15 || e2e_fail "the kernel did not attach the virtual stick"
}

wait_for_stick() { # SECONDS
    tries=$(($1 * 10))
    while [ "$tries" -gt 0 ]; do
        sg=$(stick_sg)
        sr=$(stick_sr)
        if [ -n "$sg" ] && [ -n "$sr" ] && [ "$(stat -c %G "/dev/$sg" 2>/dev/null)" = cdrom ] &&
            [ "$(stat -c %G "/dev/$sr" 2>/dev/null)" = cdrom ]; then
            return 0
        fi
        usleep 100000
        tries=$((tries - 1))
    done
    return 1
}

# Ends the virtual stick; fails the case if it saw the tool break the command set.
stop_stick() {
    kill "$STICK_PID" 2>/dev/null
    wait "$STICK_PID"
    status=$?
    [ "$status" -eq 0 ] || e2e_fail "the virtual stick ended with status $status"
}

# Runs the tool as the desktop user, answering its question with ANSWER (y or n); leaves its
# exit code in TOOL_CODE and what it printed in $TOOL_OUT.
run_tool() { # ANSWER [OPTION]...
    answer=$1
    shift
    echo "$answer" | su -s /bin/sh tester -c "kestrun-cli $*" >"$TOOL_OUT" 2>&1
    TOOL_CODE=$?
    cat "$TOOL_OUT"
}

expect_code() { # CODE
    [ "$TOOL_CODE" -eq "$1" ] || e2e_fail "kestrun-cli exited with $TOOL_CODE, expected $1"
}

expect_output() { # TEXT
    grep -qF -- "$1" "$TOOL_OUT" || e2e_fail "kestrun-cli did not print \"$1\""
}

# The stick keeps each image it received as image-N-kindK.bin.
expect_received() { # N KIND FILE
    kept="$STICK_KEEP/image-$1-kind$2.bin"
    [ -f "$kept" ] || e2e_fail "the stick kept no image $1 of kind $2"
    cmp -s "$kept" "$3" || e2e_fail "image $1 on the stick differs from $3"
}

expect_no_received() { # N
    ls "$STICK_KEEP"/image-"$1"-* >/dev/null 2>&1 && e2e_fail "the stick kept an image $1"
    return 0
}

# Passes on the figures of a run with --timing: the update's wall time and its fixed pauses.
report_timing() {
    line=$(grep '^Timing: ' "$TOOL_OUT") || e2e_fail "kestrun-cli printed no timing"
    e2e_figure update_ms "$(echo "$line" | sed -n 's/.*update \([0-9]*\) ms.*/\1/p')"
    e2e_figure pauses_ms "$(echo "$line" | sed -n 's/.*pauses \([0-9]*\) ms.*/\1/p')"
    e2e_figure overhead_ms "$(echo "$line" | sed -n 's/.*own work \([0-9]*\) ms.*/\1/p')"
}

# The tool, run again without updating, reads VERSION from the stick.
expect_stick_version() { # VERSION
    wait_for_stick 30 || e2e_fail "the stick did not come back from its reboot"
    run_tool n
    expect_code 1
    expect_output "Qivar Version: $1"
}
