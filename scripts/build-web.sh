#!/usr/bin/env bash
# Builds the web page build-web/orowan.html with Debian's emscripten
# (web/). Its tools need NODE_PATH=/usr/share/nodejs to find Debian's
# JavaScript modules with this system's Node.js.
set -euo pipefail
cd "$(dirname "$0")/.."
export NODE_PATH=/usr/share/nodejs
if ! command -v emcmake > /dev/null; then
  echo "build-web.sh: emscripten is not installed (apt-get install emscripten)" >&2
  exit 1
fi
emcmake cmake -S web -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build-web -j 2 "$@"
echo "build-web.sh: the page is build-web/orowan.html"
