#!/usr/bin/env bash
# Builds one stand-in ISO image with xorriso: an ISO 9660 tree that only says a Joliet reader is
# needed, a Joliet tree with the real files, and exactly the requested number of sectors.
#
#   make-iso.sh --output FILE --volume-id TEXT --sectors N --epoch SECONDS
#               --pattern-tool PROGRAM --filler NAME|--hidden-filler
#               [--iso-file FILE]... [--joliet-file FILE]...
#
# The filler, made of the reproducible byte pattern, takes up whatever the files leave of the
# sectors: under NAME in the Joliet tree, or (--hidden-filler) outside every directory.
set -euo pipefail

output='' volume_id='' sectors='' epoch='' pattern_tool='' filler='' hidden_filler=0
iso_files=() joliet_files=()
while (($#)); do
    case "$1" in
    --output) output=$2; shift 2 ;;
    --volume-id) volume_id=$2; shift 2 ;;
    --sectors) sectors=$2; shift 2 ;;
    --epoch) epoch=$2; shift 2 ;;
    --pattern-tool) pattern_tool=$2; shift 2 ;;
    --filler) filler=$2; shift 2 ;;
    --hidden-filler) filler=filler.bin; hidden_filler=1; shift ;;
    --iso-file) iso_files+=("$2"); shift 2 ;;
    --joliet-file) joliet_files+=("$2"); shift 2 ;;
    *) echo "make-iso.sh: unknown argument '$1'" >&2; exit 2 ;;
    esac
done
for required in output volume_id sectors epoch pattern_tool filler; do
    [[ -n ${!required} ]] || { echo "make-iso.sh: --${required//_/-} is missing" >&2; exit 2; }
done

# Fixed time, zone and locale: the image must not depend on when or where it is built.
export SOURCE_DATE_EPOCH=$epoch TZ=UTC LC_ALL=C

stage="$output.tree"
rm -rf "$stage" "$output"
mkdir -p "$stage"
for file in "${iso_files[@]}" "${joliet_files[@]}"; do
    cp "$file" "$stage/"
done
: >"$stage/$filler"

hide_options=()
for file in "${iso_files[@]}"; do
    hide_options+=(-hide-joliet "$stage/$(basename "$file")")
done
for file in "${joliet_files[@]}"; do
    hide_options+=(-hide "$stage/$(basename "$file")")
done
hide_options+=(-hide "$stage/$filler")
((hidden_filler)) && hide_options+=(-hide-joliet "$stage/$filler")

# Without weights, where xorriso puts each file's data depends on how the staged files came to
# be, which varies between builds; the weights fix it to the order of the arguments, filler last.
order_options=() weight=1000
for file in "${iso_files[@]}" "${joliet_files[@]}" "$filler"; do
    order_options+=(--sort-weight "$weight" "/$(basename "$file")")
    weight=$((weight - 1))
done

# xorriso talks on stderr even when all is well; its words are shown only when it fails.
log="$output.log"
volume_date=$(date -u -d "@$epoch" +%Y%m%d%H%M%S00)
run_xorriso() {
    xorriso -as mkisofs -quiet -J -no-pad -iso-level 1 \
        -V "$volume_id" -sysid '' -volset '' \
        -publisher 'KESTRUN' -p 'KESTRUN PAYLOAD BUILD' -A 'KESTRUN STAND-IN FIRMWARE' \
        --set_all_file_dates "=$epoch" --modification-date="$volume_date" \
        "${hide_options[@]}" "${order_options[@]}" "$@" "$stage" 2>"$log" || { cat "$log" >&2; exit 1; }
}

# The sectors that everything but the filler needs, then a filler for the rest.
used=$(run_xorriso -print-size | tail -n 1)
filler_sectors=$((sectors - used))
if ((filler_sectors < 0)); then
    echo "make-iso.sh: $output: the files need $used sectors, more than the $sectors allowed." >&2
    exit 1
fi
"$pattern_tool" $((filler_sectors * 2048)) "$volume_id" "$stage/$filler"
touch -d "@$epoch" "$stage" "$stage"/*

run_xorriso -o "$output"
rm -rf "$stage" "$log"

length=$(stat -c %s "$output")
if ((length != sectors * 2048)); then
    echo "make-iso.sh: $output: xorriso wrote $length bytes instead of $((sectors * 2048))." >&2
    exit 1
fi
