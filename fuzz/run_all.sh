#!/usr/bin/env bash
# Runs every fuzz target for a few seconds from its seed corpus: run_all.sh BUILD_DIR SECONDS
set -euo pipefail
build=$1
seconds=${2:-10}
here=$(cd "$(dirname "$0")" && pwd)
for target in number_text language_file settings image_compiler image_dump eds update editor_files; do
  work=$(mktemp -d)
  cp -r "$here/corpus/$target/." "$work/"
  if "$build/bin/${target}_fuzz" -max_total_time="$seconds" -max_len=65536 -artifact_prefix="$work/" "$work" \
       >"$work.log" 2>&1; then
    # exec/s is wall-clock: on a busy machine it is lower than the target's own speed.
    echo "fuzz $target: $(grep -o 'Done [0-9]* runs' "$work.log" || echo done)," \
         "$(grep 'DONE' "$work.log" | grep -o 'exec/s: [0-9]*' | tail -n 1)"
  else
    echo "fuzz $target FAILED:"
    tail -n 80 "$work.log"
    exit 1
  fi
  rm -rf "$work" "$work.log"
done
