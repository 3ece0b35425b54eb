#!/usr/bin/env bash
# End-to-end measurement: the built program on a file of 1,000 passes
# (answer 1 at every repeat prompt, 0 at the last), as a user would run it.
# Reports passes per second (best of three runs), write system calls per
# pass against records per pass, read calls against the reads the input
# needs, and peak resident memory.
#
#   bench/e2e.sh [BINARY] [PASSES]      default build/orowan, 1000
#
# Needs python3 (input and timing); strace for the system-call counts and
# /usr/bin/time for the peak memory, each skipped with a note when missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
binary=${1:-$here/../build/orowan}
passes=${2:-1000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 "$here/../tests/generate_inputs.py" passes "$passes" > "$work/input.txt"
input_bytes=$(wc -c < "$work/input.txt")

# Wall time, best of three runs.
python3 - "$binary" "$work/input.txt" "$work/output.txt" "$passes" <<'EOF'
import subprocess, sys, time
binary, input_path, output_path, passes = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
best = None
for _ in range(3):
    with open(input_path, "rb") as fin, open(output_path, "wb") as fout:
        start = time.perf_counter()
        status = subprocess.run([binary], stdin=fin, stdout=fout).returncode
        elapsed = time.perf_counter() - start
    if status != 0:
        sys.exit(f"the program ended with status {status}")
    best = elapsed if best is None else min(best, elapsed)
print(f"passes:                 {passes}")
print(f"time (best of 3):       {best * 1000:.1f} ms")
print(f"passes per second:      {passes / best:.0f}")
EOF

# Peak resident memory from GNU time (package time): its own small fork is
# counted too, so the figure is an upper bound. (A Python parent would add
# its own size to the child's high-water mark.)
if [ -x /usr/bin/time ]; then
  peak=$(/usr/bin/time -f %M "$binary" < "$work/input.txt" 2>&1 > /dev/null | tail -1)
  echo "peak resident memory:   $peak KiB"
else
  echo "peak resident memory:   not measured (/usr/bin/time is not installed)"
fi

# Records: each record after the first (empty, written as nothing) begins
# with the CR LF that ends the line before it; the stop adds two writes and
# two CR LF of its own.
line_ends=$(grep -c $'\r$' "$work/output.txt" || true)
records=$((line_ends - 2))
echo "output bytes:           $(wc -c < "$work/output.txt")"
echo "records written:        $records ($(python3 -c "print(f'{$records / $passes:.2f}')") per pass)"

if ! command -v strace > /dev/null; then
  echo "system calls:           not counted (strace is not installed)"
  exit 0
fi
strace -f -e trace=read,write -o "$work/trace.txt" "$binary" < "$work/input.txt" > /dev/null
writes=$(grep -c '^[0-9 ]*write(1,' "$work/trace.txt" || true)
reads=$(grep -c '^[0-9 ]*read(0,' "$work/trace.txt" || true)
needed_reads=$(((input_bytes + 131) / 132))
record_writes=$((writes - 2))
echo "write calls (fd 1):     $writes = $record_writes for records + 2 for the stop"
echo "writes per record:      $(python3 -c "print(f'{$record_writes / $records:.3f}')")"
echo "read calls (fd 0):      $reads (the input's $input_bytes bytes need $needed_reads reads of 132)"
status=0
if [ "$record_writes" -ne "$records" ]; then
  echo "FAIL: not one write per record"; status=1
fi
if [ "$reads" -ne "$needed_reads" ]; then
  echo "FAIL: reads beyond those the input needs"; status=1
fi
exit $status
