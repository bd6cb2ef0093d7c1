#!/usr/bin/env bash
# Builds Ovik and opens the bundled sample hypertext in the editor (or prints
# its summary with ovikc when no display is available).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
sample=build/src/ui/es_hqv/esempio.hqv
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/src/ui/ovik "$sample"
fi
echo "No display: showing the sample with ovikc (run build/src/ui/ovik $sample on a desktop)."
exec build/src/cli/ovikc info "$sample"
