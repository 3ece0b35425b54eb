#!/usr/bin/env bash
# Builds the calculator and starts it. Its texts are Shift-JIS: on a UTF-8
# terminal they are shown through luit when it is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-packages.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target orowan >/dev/null
charmap=$(locale charmap 2>/dev/null || true)
if [ "$charmap" = "UTF-8" ] && command -v luit >/dev/null && [ -t 0 ] && [ -t 1 ]; then
  exec luit -encoding SJIS -- ./build/orowan
fi
exec ./build/orowan
