#!/usr/bin/env bash
# Builds and runs the tests in the default, asan and tsan presets.
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in default asan tsan; do
    echo "== $preset"
    cmake --workflow --preset "$preset"
done
