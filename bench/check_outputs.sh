#!/usr/bin/env bash
# Runs a binary of the calculator on every *.in file of a case folder and
# keeps standard output, standard error and the exit status of each, so
# that an optimised build can be compared byte for byte with a reference.
#
#   check_outputs.sh save BINARY CASES OUTDIR      records the outputs
#   check_outputs.sh compare BINARY CASES REFDIR   fails on any difference
#
# Cases come from `tests/generate_inputs.py cases CASES`.
set -euo pipefail
mode=$1 binary=$2 cases=$3 dir=$4

run_all() {
  local out=$1
  mkdir -p "$out"
  for input in "$cases"/*.in; do
    local name
    name=$(basename "$input" .in)
    set +e
    "$binary" < "$input" > "$out/$name.out" 2> "$out/$name.err"
    echo $? > "$out/$name.status"
    set -e
  done
}

case $mode in
  save) run_all "$dir" ;;
  compare)
    fresh=$(mktemp -d)
    trap 'rm -rf "$fresh"' EXIT
    run_all "$fresh"
    if diff -r -q "$dir" "$fresh"; then
      echo "identical: $(ls "$cases"/*.in | wc -l) cases, $binary"
    else
      echo "DIFFERENT: $binary"
      exit 1
    fi
    ;;
  *) echo "usage: $0 save|compare BINARY CASES DIR" >&2; exit 2 ;;
esac
