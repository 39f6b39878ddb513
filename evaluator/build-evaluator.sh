#!/bin/sh
# Builds the evaluator program and its base state:
#   build-evaluator.sh POLYC POLY STAMP PROGRAM BASE LOG
# Runs in the folder of the SML sources. polyc compiles build.sml into
# PROGRAM, which is stamped from its sources and the compiler's version, so
# that states saved by one build load into any build of the same sources.
# PROGRAM then writes the state BASE (as BASE.x86-linux). Everything is made
# under temporary names and renamed, so a failed build leaves nothing half
# made.
set -u
polyc=$1 poly=$2 stamp=$3 program=$4 base=$5 log=$6
tmp="$program.new"
fail() {
  cat "$log" >&2
  rm -f "$tmp"
  echo "build-evaluator.sh: $1" >&2
  exit 1
}
rm -f "$tmp"
TMPDIR=$(dirname "$log") "$polyc" -o "$tmp" build.sml >"$log" 2>&1 && [ -s "$tmp" ] ||
  fail "the evaluator $program was not built"
version=$("$poly" -v 2>&1) || fail "$poly does not run"
"$stamp" "$tmp" "$version" $(find . -name '*.sml' | LC_ALL=C sort) >>"$log" 2>&1 ||
  fail "the evaluator $program could not be stamped"
mv -f "$tmp" "$program" || fail "the evaluator $program could not be placed"
"$program" --save-base "$base" >>"$log" 2>&1 || fail "the base state $base was not written"
