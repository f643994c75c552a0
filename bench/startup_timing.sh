#!/usr/bin/env bash
# Start-up to the shown main window, median of five runs, with a generated collection.
#   bench/startup_timing.sh [BUILD_DIR] [DVDS]     (defaults: build, 100000)
# Each run starts the real program from a temporary program folder (offscreen, so no screen is
# needed) and stops the clock when the program reports its window shown
# (REELKEEPER_STARTUP_TIMING). The baseline, measured in the same run, is the stock sqlite3
# shell reading every Inventory row of the same file.
set -euo pipefail
build="${1:-build}"
dvds="${2:-100000}"
runs=5
bin="$build/bin"
for f in reelkeeper libreelkeeper_scanner.so rk_generate; do
  [ -e "$bin/$f" ] || { echo "missing $bin/$f (build first)" >&2; exit 2; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/prog" "$work/run" "$work/data" "$work/config"
chmod 700 "$work/run"
cp "$bin/reelkeeper" "$bin/libreelkeeper_scanner.so" "$work/prog/"
"$bin/rk_generate" "$work/prog/ReelKeeper.mdb" "$dvds"

now_ms() { date +%s%3N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

one_start() {
  local err="$work/err" start end pid
  : >"$err"
  start=$(now_ms)
  XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
    QT_QPA_PLATFORM=offscreen REELKEEPER_STARTUP_TIMING=1 \
    REELKEEPER_MESSAGE_LOG="$work/messages.log" "$work/prog/reelkeeper" nocheck 2>"$err" &
  pid=$!
  until grep -q "window shown" "$err"; do
    kill -0 "$pid" 2>/dev/null || { echo "the program ended early:" >&2; cat "$err" >&2; exit 1; }
    sleep 0.005
  done
  end=$(now_ms)
  kill -KILL "$pid"; wait "$pid" 2>/dev/null || true
  local inside
  inside=$(sed -n 's/.*window shown after \([0-9]*\) ms.*/\1/p' "$err")
  echo "$((end - start)) $inside"
}

one_start >/dev/null  # warms the page cache, as any start after the first finds it
outside=(); inside=()
for _ in $(seq "$runs"); do
  read -r o i < <(one_start)
  outside+=("$o"); inside+=("$i")
done
base=()
for _ in $(seq "$runs"); do
  s=$(now_ms)
  sqlite3 "$work/prog/ReelKeeper.mdb" "SELECT * FROM Inventory" >/dev/null
  base+=("$(( $(now_ms) - s ))")
done

m_out=$(printf '%s\n' "${outside[@]}" | median)
m_in=$(printf '%s\n' "${inside[@]}" | median)
m_base=$(printf '%s\n' "${base[@]}" | median)
echo "collection: $dvds DVDs, $(du -h "$work/prog/ReelKeeper.mdb" | cut -f1)"
echo "start-up to shown window, median of $runs: ${m_out} ms wall (${m_in} ms since process start, as the program measures it)"
echo "  runs (wall ms): ${outside[*]}"
echo "baseline, sqlite3 shell reading all Inventory rows, median of $runs: ${m_base} ms"
awk -v a="$m_out" -v b="$m_base" 'BEGIN { if (b > 0) printf "ratio start-up / baseline: %.1f\n", a / b }'
