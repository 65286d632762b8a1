#!/usr/bin/env bash
# run.sh: installs what is missing, builds Quillbrook and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLBROOK_TESTS=OFF
cmake --build build/release --target quillbrook
exec build/release/quillbrook "$@"
