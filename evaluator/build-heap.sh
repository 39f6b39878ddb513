#!/bin/sh
# Builds the evaluator's heap image: build-heap.sh SML HEAP LOG
# Runs in the folder of the SML sources. The image is exported under a
# temporary name and renamed, so a failed build leaves no half image.
set -u
sml=$1 heap=$2 log=$3
suffix=x86-linux
tmp="$heap.new"
rm -f "$tmp.$suffix"
if TOLQ_HEAP="$tmp" "$sml" build.sml </dev/null >"$log" 2>&1 && [ -s "$tmp.$suffix" ]; then
  mv -f "$tmp.$suffix" "$heap.$suffix"
else
  cat "$log" >&2
  rm -f "$tmp.$suffix"
  echo "build-heap.sh: the heap image $heap.$suffix was not built" >&2
  exit 1
fi
