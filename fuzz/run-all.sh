#!/usr/bin/env bash
# Runs every fuzz target for SECONDS each, JOBS of them at once (default 2), at the
# lowest priority, on a working corpus seeded from fuzz/corpus/ (the seeds in the
# tree are left alone). ONLY="a b" runs just those targets; TIMEOUT=N allows a
# single input N seconds (10; more on a machine that is busy with other work);
# FLAGS="-max_len=N ..." passes more options to every fuzzer:
#   fuzz/run-all.sh SECONDS [BUILD]     (BUILD: the fuzz build folder, ./build-fuzz)
# Builds the targets first. Logs, working corpora and findings go to
# BUILD/fuzz-runs/<target>/; the last lines are a table of executions, coverage
# and findings per target. Exit status 1 when any target found something.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:?usage: run-all.sh SECONDS [BUILD]}
build=${2:-$root/build-fuzz}
jobs=${JOBS:-2}
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DTALLIX_FUZZ=ON \
    -DTALLIX_BUILD_TESTS=OFF -DTALLIX_BUILD_BENCH=OFF
fi
# Only the targets that run are built (ONLY), or all of them.
if [ -n "${ONLY:-}" ]; then
  only_targets=()
  for t in $ONLY; do only_targets+=("fuzz_$t"); done
  cmake --build "$build" -j "$jobs" --target "${only_targets[@]}"
else
  cmake --build "$build" -j "$jobs" --target tallix_fuzzers
fi

targets=()
for f in "$root"/fuzz/fuzz_*.cpp; do
  n=$(basename "$f" .cpp)
  targets+=("${n#fuzz_}")
done

# The readers that take a path read a scratch file: on a memory file system when
# there is one, where the program's flushes to the disk cost nothing.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi

run() {
  local name=$1 out=$build/fuzz-runs/$1
  mkdir -p "$out/corpus" "$out/findings"
  cp -r "$root/fuzz/corpus/$name/." "$out/corpus/"
  nice -n 19 "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout="${TIMEOUT:-10}" \
    -rss_limit_mb=1024 -print_final_stats=1 -artifact_prefix="$out/findings/" ${FLAGS:-} \
    "$out/corpus" >"$out/log" 2>&1 || true
}

running=0
only=${ONLY:-}
for t in "${targets[@]}"; do
  [ -n "$only" ] && [[ " $only " != *" $t "* ]] && continue
  run "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

status=0
printf '%-16s %14s %8s %8s  %s\n' target executions cov ft findings
for t in "${targets[@]}"; do
  [ -n "$only" ] && [[ " $only " != *" $t "* ]] && continue
  out=$build/fuzz-runs/$t
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$out/log" | grep -o '[0-9]*$' || true)
  cov=$(grep -o 'cov: [0-9]*' "$out/log" | tail -1 | grep -o '[0-9]*' || true)
  ft=$(grep -o 'ft: [0-9]*' "$out/log" | tail -1 | grep -o '[0-9]*' || true)
  findings=$(ls "$out/findings" 2>/dev/null | tr '\n' ' ')
  [ -n "$findings" ] && status=1
  printf '%-16s %14s %8s %8s  %s\n' "$t" "${execs:-?}" "${cov:-?}" "${ft:-?}" "${findings:-none}"
done
exit $status
