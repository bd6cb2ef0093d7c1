#!/usr/bin/env bash
# Builds Ovik and shows the bundled sample hypertext.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
sample=build/sample/esempio.hqv
mkdir -p build/sample
if [ -x build/src/ui/ovik ]; then
  build/src/cli/ovikc new "$sample" >/dev/null 2>&1 || true
  exec build/src/ui/ovik "$sample"
fi
build/src/cli/ovikc new "$sample"
exec build/src/cli/ovikc info "$sample"
