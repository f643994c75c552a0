#!/usr/bin/env bash
# Builds ReelKeeper and starts it from its program folder.
#
# A copy in a folder of its own keeps its database, ReelKeeper.mdb, beside its executable. So
# that rebuilding or deleting the build folder can never delete a user's collection, the program
# is installed into such a folder outside the source tree, ~/ReelKeeper (or $REELKEEPER_HOME),
# and started from there: the install's ProgramFolder component, not the system-wide layout of
# `cmake --install` (README, "Install"). Arguments are passed on to the program (for example:
# nocheck, checkonly).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh
home="${REELKEEPER_HOME:-$HOME/ReelKeeper}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target reelkeeper -j"$(nproc)"
cmake --install build --prefix "$home" --component ProgramFolder >/dev/null
exec "$home/reelkeeper" "$@"
