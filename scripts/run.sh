#!/usr/bin/env bash
# Installs what is missing, builds Konfex and starts it. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target konfex konfex-cli
exec build/default/bin/konfex "$@"
