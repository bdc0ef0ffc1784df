#!/usr/bin/env bash
# Installs what is missing, builds the release preset and starts the program in the working directory.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" --preset release >/dev/null
cmake --build "$root/build/release" --target quorvel
exec "$root/build/release/app/quorvel" "$@"
