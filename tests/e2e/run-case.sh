#!/usr/bin/env bash
# Boots the end-to-end test guest on one test case and judges it from the guest's console.
#
#   run-case.sh --qemu PROGRAM --kernel VMLINUZ --initrd CPIO --case NAME --timeout SECONDS
#               --log FILE
#
# Passes when the console says "E2E-RESULT PASS". Otherwise names the step that failed (or the
# last step reached, when the guest hung or crashed) and prints the whole console output.
set -uo pipefail

qemu='' kernel='' initrd='' case_name='' timeout_s='' log=''
while (($#)); do
    case "$1" in
    --qemu) qemu=$2; shift 2 ;;
    --kernel) kernel=$2; shift 2 ;;
    --initrd) initrd=$2; shift 2 ;;
    --case) case_name=$2; shift 2 ;;
    --timeout) timeout_s=$2; shift 2 ;;
    --log) log=$2; shift 2 ;;
    *) echo "run-case.sh: unknown argument '$1'" >&2; exit 2 ;;
    esac
done
for required in qemu kernel initrd case_name timeout_s log; do
    [[ -n ${!required} ]] || { echo "run-case.sh: --${required//_/-} is missing" >&2; exit 2; }
done

# No KVM is assumed: QEMU emulates the CPU. One CPU, as the kernel needs no more, and no
# network, disk or display; the console is the serial port on standard output.
started=$(date +%s%N)
timeout --kill-after=5 "$timeout_s" "$qemu" -machine q35 -cpu max -m 512 -smp 1 \
    -nographic -no-reboot -nodefaults -serial stdio -monitor none \
    -kernel "$kernel" -initrd "$initrd" \
    -append "console=ttyS0 panic=-1 loglevel=4 kestrun.case=$case_name" \
    </dev/null >"$log" 2>&1
status=$?
elapsed_ms=$((($(date +%s%N) - started) / 1000000))
tr -d '\r' <"$log" >"$log.txt" && mv "$log.txt" "$log"

if grep -q '^E2E-RESULT PASS' "$log"; then
    grep '^E2E-FIGURE' "$log"
    echo "$case_name: passed in $elapsed_ms ms (console: $log)"
    exit 0
fi

failure=$(grep -m1 '^E2E-RESULT FAIL' "$log")
if [[ -z $failure ]]; then
    last_step=$(grep '^E2E-STEP' "$log" | tail -n 1 | cut -d' ' -f2)
    if ((status == 124 || status == 137)); then
        failure="E2E-RESULT FAIL [${last_step:-boot}] the guest did not finish within $timeout_s s"
    else
        failure="E2E-RESULT FAIL [${last_step:-boot}] the guest stopped without a result (QEMU exit $status)"
    fi
fi
echo "$case_name: ${failure#E2E-RESULT }"
echo "==== guest console ($log)"
cat "$log"
echo "===="
echo "$case_name: ${failure#E2E-RESULT }"
exit 1
