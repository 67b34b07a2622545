#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang into build-fuzz/ and runs
# each one over its seed corpus.
#   bash tools/fuzz.sh                      20 s per target (what CI runs)
#   bash tools/fuzz.sh 600                  600 s per target
#   KV_FUZZ_RUNS=1000000 bash tools/fuzz.sh one million inputs per target
#   bash tools/fuzz.sh 60 bmp map           only the targets named
# Targets: bmp jpeg spriteinfo map tileset settings wav. Every run is limited to
# 512 MB of memory and 128 MB for a single allocation. New inputs go to
# build-fuzz/corpus/<target> (fuzz/corpus holds the seeds and is only read);
# a finding leaves its input in build-fuzz/findings/ and makes the script
# exit 1.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

seconds=${1:-20}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(bmp jpeg spriteinfo map tileset settings wav)

if ! command -v clang++ >/dev/null; then
  echo "tools/fuzz.sh needs clang (bash tools/dev.sh installs it)" >&2
  exit 2
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DKV_FUZZ=ON -DBUILD_TESTING=OFF -DKV_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target kvfuzz >/dev/null

# A smaller quarantine keeps the sanitizer's own memory from counting
# against the 512 MB limit.
export ASAN_OPTIONS="quarantine_size_mb=64:detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1"

binary_of() {
  case "$1" in
    bmp) echo kvfuzzBmp ;; jpeg) echo kvfuzzJpeg ;; spriteinfo) echo kvfuzzSpriteInfo ;;
    map) echo kvfuzzMap ;; tileset) echo kvfuzzTileset ;; settings) echo kvfuzzSettings ;;
    wav) echo kvfuzzWav ;;
    *) echo "unknown fuzz target: $1" >&2; exit 2 ;;
  esac
}

status=0
mkdir -p build-fuzz/findings
for t in "${targets[@]}"; do
  bin=$(binary_of "$t")
  mkdir -p "build-fuzz/corpus/$t"
  limit=(-max_total_time="$seconds")
  [ -n "${KV_FUZZ_RUNS:-}" ] && limit=(-runs="$KV_FUZZ_RUNS")
  log="build-fuzz/$t.log"
  start=$(date +%s)
  # -close_fd_mask=1: the loaders' messages on stdout would flood the log.
  if "build-fuzz/fuzz/$bin" "${limit[@]}" -rss_limit_mb=512 -malloc_limit_mb=128 \
      -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$root/build-fuzz/findings/$t-" \
      "build-fuzz/corpus/$t" "fuzz/corpus/$t" >"$log" 2>&1; then
    result="no finding"
  else
    result="FINDING (see $log and build-fuzz/findings/)"
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log")
  echo "fuzz $t: ${runs:-?} executions in $(( $(date +%s) - start )) s, peak ${rss:-?} MB, $result"
done
exit $status
