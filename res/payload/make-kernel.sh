#!/usr/bin/env bash
# Builds the stand-in migration kernel with mkimage: a legacy U-Boot image for MIPS Linux whose
# data is one gzip stream of exactly the requested length.
#
#   make-kernel.sh --output FILE --name TEXT --data-length N --epoch SECONDS
#                  --pattern-tool PROGRAM
#
# The stream's length is steered through the length of its input: patterned bytes do not
# compress, so gzip stores them with a fixed overhead and a few corrections find the length.
set -euo pipefail

output='' name='' data_length='' epoch='' pattern_tool=''
while (($#)); do
    case "$1" in
    --output) output=$2; shift 2 ;;
    --name) name=$2; shift 2 ;;
    --data-length) data_length=$2; shift 2 ;;
    --epoch) epoch=$2; shift 2 ;;
    --pattern-tool) pattern_tool=$2; shift 2 ;;
    *) echo "make-kernel.sh: unknown argument '$1'" >&2; exit 2 ;;
    esac
done
for required in output name data_length epoch pattern_tool; do
    [[ -n ${!required} ]] || { echo "make-kernel.sh: --${required//_/-} is missing" >&2; exit 2; }
done

# mkimage takes its time stamp from SOURCE_DATE_EPOCH.
export SOURCE_DATE_EPOCH=$epoch TZ=UTC LC_ALL=C

input="$output.data" stream="$output.data.gz"
input_length=$data_length
for _ in 1 2 3 4 5 6 7 8; do
    "$pattern_tool" "$input_length" "$name" "$input"
    # -n: no file name or time in the gzip header.
    gzip -n -9 -c "$input" >"$stream"
    stream_length=$(stat -c %s "$stream")
    ((stream_length == data_length)) && break
    input_length=$((input_length + data_length - stream_length))
done
if ((stream_length != data_length)); then
    echo "make-kernel.sh: $output: no input gives a gzip stream of $data_length bytes" \
        "(the last gave $stream_length)." >&2
    exit 1
fi

mkimage -A mips -O linux -T kernel -C gzip -a 0x80000000 -e 0x801E4000 -n "$name" \
    -d "$stream" "$output" >"$output.log" || { cat "$output.log" >&2; exit 1; }
rm -f "$input" "$stream" "$output.log"
