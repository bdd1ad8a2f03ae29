#!/usr/bin/env bash
# Times converting 1000 cards three ways, side by side in one run, every file flushed to disk:
#   - `selvane-cli convert --to mem` once over all 1000 cards (target: <= 0.5x the dd run)
#   - `selvane-cli convert SRC DST`, one process per card      (target: <= 1.5x the dd run)
#   - `dd conv=fsync` writing the same files, one process per card, in turns with the above
# Usage: bench/convert_1000.sh [path/to/selvane-cli]   (default: build/release/cli/selvane-cli)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cli="${1:-$root/build/release/cli/selvane-cli}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/cli" "$work/batch" "$work/dd"

"$cli" convert "$root/examples/demo.gme" "$work/template.mcr"
for i in $(seq -w 1 1000); do cp "$work/template.mcr" "$work/in/card$i.mcr"; done
"$cli" convert "$work/template.mcr" "$work/template.mem"
sync

now() { date +%s.%N; }

start=$(now)
"$cli" convert --to mem -o "$work/batch" "$work"/in/*.mcr >/dev/null
batch_time=$(echo "$(now) - $start" | bc)

# One process per card, and dd per card, taken in turns so that both meet the same disk: the
# time fsync takes drifts by a factor of two or more over a minute on a shared machine.
cli_time=0
dd_time=0
for f in "$work"/in/*.mcr; do
  name="$(basename "$f" .mcr).mem"
  start=$EPOCHREALTIME
  "$cli" convert "$f" "$work/cli/$name"
  middle=$EPOCHREALTIME
  dd if="$work/template.mem" of="$work/dd/$name" bs=131136 conv=fsync status=none
  end=$EPOCHREALTIME
  cli_time=$(echo "$cli_time + $middle - $start" | bc)
  dd_time=$(echo "$dd_time + $end - $middle" | bc)
done

for i in 0001 0500 1000; do
  cmp "$work/cli/card$i.mem" "$work/dd/card$i.mem"
  cmp "$work/batch/card$i.mem" "$work/dd/card$i.mem"
done
[ "$(find "$work/batch" -name '*.mem' | wc -l)" = 1000 ]
printf 'selvane-cli convert --to x1000 (one process): %6.2f s  ratio to dd %.2f (target <= 0.5)\n' \
  "$batch_time" "$(echo "$batch_time / $dd_time" | bc -l)"
printf 'selvane-cli convert x1000 (one per card):     %6.2f s  ratio to dd %.2f (target <= 1.5)\n' \
  "$cli_time" "$(echo "$cli_time / $dd_time" | bc -l)"
printf 'dd conv=fsync x1000:                          %6.2f s\n' "$dd_time"
