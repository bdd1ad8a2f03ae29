#!/usr/bin/env bash
# Times `selvane-cli convert` over 1000 cards against `dd conv=fsync` writing the same files, one
# process per file in both runs, both flushed to disk.
# Usage: bench/convert_1000.sh [path/to/selvane-cli]   (default: build/release/cli/selvane-cli)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cli="${1:-$root/build/release/cli/selvane-cli}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/cli" "$work/dd"

"$cli" convert "$root/examples/demo.gme" "$work/template.mcr"
for i in $(seq -w 1 1000); do cp "$work/template.mcr" "$work/in/card$i.mcr"; done
"$cli" convert "$work/template.mcr" "$work/template.mem"
sync

start=$(date +%s.%N)
for f in "$work"/in/*.mcr; do
  "$cli" convert "$f" "$work/cli/$(basename "$f" .mcr).mem"
done
cli_time=$(echo "$(date +%s.%N) - $start" | bc)

start=$(date +%s.%N)
for f in "$work"/in/*.mcr; do
  dd if="$work/template.mem" of="$work/dd/$(basename "$f" .mcr).mem" bs=131136 conv=fsync status=none
done
dd_time=$(echo "$(date +%s.%N) - $start" | bc)

cmp "$work/cli/card0001.mem" "$work/dd/card0001.mem"
printf 'selvane-cli convert x1000: %.2f s\ndd conv=fsync x1000:       %.2f s\nratio: %.2f (target <= 1.5)\n' \
  "$cli_time" "$dd_time" "$(echo "$cli_time / $dd_time" | bc -l)"
