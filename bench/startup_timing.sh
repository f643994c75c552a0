#!/usr/bin/env bash
# Start-up to the shown main window and the process's peak memory, for collections of several
# sizes, against the floor measured in the same run:
#   bench/startup_timing.sh [BUILD_DIR] [SIZES...]     (defaults: build, 1000 10000 100000 1000000)
# Each start runs the real program from a temporary program folder (offscreen, so no screen is
# needed) and stops the clock when the program reports its window shown
# (REELKEEPER_STARTUP_TIMING); the median of five starts is given. Peak memory is the process's
# high-water mark once it has gone quiet after the window showed (what it reads ahead included).
# The floor is an empty collection's start plus the stock sqlite3 shell reading every Inventory
# row of the same file. RK_A11Y=1 runs every start with the accessibility bridge on, under a
# private AT-SPI bus. RK_OLDER=1 times instead the first start of an older file (the program's
# derived tables dropped with the stock shell, as a file from before them, or one another program
# changed, has none): each of three starts gets a fresh copy, and the table gives when the
# preparing bar showed, when the window showed, and the peak memory.
set -euo pipefail
build="${1:-build}"
shift || true
sizes=("$@")
((${#sizes[@]})) || sizes=(1000 10000 100000 1000000)
runs=5
older="${RK_OLDER:-0}"
((older)) && runs=3
bin="$build/bin"
for f in reelkeeper libreelkeeper_scanner.so rk_generate; do
  [ -e "$bin/$f" ] || { echo "missing $bin/$f (build first)" >&2; exit 2; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/prog" "$work/run" "$work/data" "$work/config"
chmod 700 "$work/run"
cp "$bin/reelkeeper" "$bin/libreelkeeper_scanner.so" "$work/prog/"

now_ms() { date +%s%3N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }

# One start: prints "wall_ms peak_kB bar_ms" (bar_ms: when the preparing bar showed, or -).
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
  # Quiet: no processor time used for a second (the checks and read-ahead after the window
  # showed are over), at most a minute.
  local before after quiet=0
  before=$(cpu_ticks "$pid")
  for _ in $(seq 120); do
    sleep 0.5
    after=$(cpu_ticks "$pid")
    if [ "$after" = "$before" ]; then quiet=$((quiet + 1)); else quiet=0; fi
    before=$after
    ((quiet >= 2)) && break
  done
  local peak
  peak=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
  kill -KILL "$pid"; wait "$pid" 2>/dev/null || true
  local bar
  bar=$(sed -n 's/.*preparing bar shown after \([0-9]*\) ms.*/\1/p' "$err")
  echo "$((end - start)) $peak ${bar:--}"
}

# Median start and peak memory over the runs for the file now in the program folder.
measure() {
  # Warms the page cache, as any start after the first finds it; an older file's copy does that.
  ((older)) || one_start >/dev/null
  local walls=() peaks=() bars=() w p b
  for _ in $(seq "$runs"); do
    ((older)) && cp "$work/older.mdb" "$work/prog/ReelKeeper.mdb"
    read -r w p b < <(one_start)
    walls+=("$w"); peaks+=("$p"); bars+=("$b")
  done
  echo "$(printf '%s\n' "${walls[@]}" | median) $(printf '%s\n' "${peaks[@]}" | median)" \
    "$(printf '%s\n' "${bars[@]}" | median)"
}

# The file in the program folder as a program from before the derived tables left it.
make_older() {
  sqlite3 "$work/prog/ReelKeeper.mdb" "$(for t in ListStale ChoiceStale TitleStale; do
      for e in Insert Update Delete; do echo "DROP TRIGGER IF EXISTS ${t}On$e;"; done
    done) DROP TABLE IF EXISTS ListOrder; DROP TABLE IF EXISTS ListStale;
    DROP TABLE IF EXISTS ChoiceKeys; DROP TABLE IF EXISTS ChoiceStale;
    DROP TABLE IF EXISTS TitleTrigrams; DROP TABLE IF EXISTS TitleStale; VACUUM;"
  mv "$work/prog/ReelKeeper.mdb" "$work/older.mdb"
}

shell_read() {
  local times=() s
  for _ in $(seq "$runs"); do
    s=$(now_ms)
    sqlite3 "$1" "SELECT * FROM Inventory" >/dev/null
    times+=("$(( $(now_ms) - s ))")
  done
  printf '%s\n' "${times[@]}" | median
}

# A collection of $1 DVDs in the program folder: the one given for that size, or a generated one.
place_collection() {
  rm -f "$work/prog/ReelKeeper.mdb"
  local made="RK_COLLECTION_$1"
  if [ -n "${!made:-}" ]; then
    cp "${!made}" "$work/prog/ReelKeeper.mdb"
  else
    "$bin/rk_generate" "$work/prog/ReelKeeper.mdb" "$1" >/dev/null
  fi
}

main_older() {
  echo "| DVDs | preparing bar shown | start to shown window | peak memory |"
  echo "|---|---|---|---|"
  for dvds in "${sizes[@]}"; do
    place_collection "$dvds"
    make_older
    read -r ms kb bar < <(measure)
    awk -v d="$dvds" -v ms="$ms" -v kb="$kb" -v bar="$bar" \
      'BEGIN { printf "| %\047d | %s | %.2f s | %d MB |\n", d,
               bar == "-" ? "none" : sprintf("%.2f s", bar / 1000), ms / 1000, kb / 1024 }'
  done
}

main() {
  ((older)) && { main_older; return; }
  rm -f "$work/prog/ReelKeeper.mdb"  # the first start makes an empty file
  read -r empty_ms empty_kb < <(measure)
  echo "| DVDs | start to shown window | peak memory | floor: empty start + shell reading every row | start / floor |"
  echo "|---|---|---|---|---|"
  for dvds in "${sizes[@]}"; do
    place_collection "$dvds"
    read -r ms kb < <(measure)
    shell=$(shell_read "$work/prog/ReelKeeper.mdb")
    awk -v d="$dvds" -v ms="$ms" -v kb="$kb" -v e="$empty_ms" -v s="$shell" -v ekb="$empty_kb" \
      'BEGIN { printf "| %\047d | %.2f s | %d MB | %.2f s + %.2f s (empty start: %d MB) | %.2f |\n",
               d, ms / 1000, kb / 1024, e / 1000, s / 1000, ekb / 1024, ms / (e + s) }'
  done
}

if [ "${RK_A11Y:-0}" = 1 ]; then
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  export -f main main_older make_older place_collection measure one_start shell_read median cpu_ticks now_ms
  export work bin runs older
  sizes_text="${sizes[*]}"
  # A private session bus with the accessibility bus launcher, as a desktop with a screen reader
  # has.
  dbus-run-session -- bash -c "/usr/libexec/at-spi-bus-launcher --launch-immediately & sleep 1; sizes=($sizes_text); $(declare -f main); main"
else
  main
fi
