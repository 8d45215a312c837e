#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quillary.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
exec "${QUILLARY_BUILD_DIR:-$root/build}/app/quillary" "$@"
