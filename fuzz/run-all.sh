#!/usr/bin/env bash
# A fuzzing campaign: runs the named fuzz targets (all of them when none is
# named) for SECONDS each, JOBS of them at once (default 2), at the lowest
# priority, on a working corpus seeded from fuzz/corpus/<target> (the seeds in
# the tree are left alone):
#   fuzz/run-all.sh SECONDS [BUILD] [TARGET...]
# BUILD is the fuzz build folder (./build-fuzz), told apart from a target by
# being a folder. ONLY="a b" names targets too; TIMEOUT=N allows a single input
# N seconds (10; more on a machine that is busy with other work); MAX_LEN=N caps
# the size of an input; FLAGS="..." passes more options to every fuzzer;
# NO_BUILD=1 runs the fuzzers as they are built.
# Logs, working corpora and findings go to BUILD/fuzz-runs/<target>/; the last
# lines are a table of executions, coverage (cov: edges, ft: features) and
# findings per target. Exit status 1 when any target found something.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:?usage: run-all.sh SECONDS [BUILD] [TARGET...]}
shift
build=$root/build-fuzz
if [ $# -gt 0 ] && [ -d "$1" ]; then
  build=$(cd "$1" && pwd)
  shift
fi
jobs=${JOBS:-2}

targets=("$@")
if [ ${#targets[@]} -eq 0 ] && [ -n "${ONLY:-}" ]; then
  read -r -a targets <<<"$ONLY"
fi
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$root"/fuzz/fuzz_*.cpp; do
    n=$(basename "$f" .cpp)
    targets+=("${n#fuzz_}")
  done
fi
for t in "${targets[@]}"; do
  if [ ! -f "$root/fuzz/fuzz_$t.cpp" ]; then
    echo "run-all.sh: no fuzz target named $t (fuzz/fuzz_$t.cpp)" >&2
    exit 2
  fi
done

if [ -z "${NO_BUILD:-}" ]; then
  if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DTALLIX_FUZZ=ON \
      -DTALLIX_BUILD_TESTS=OFF -DTALLIX_BUILD_BENCH=OFF
  fi
  build_targets=()
  for t in "${targets[@]}"; do
    build_targets+=(--target "fuzz_$t")
  done
  nice -n 19 cmake --build "$build" -j "$jobs" "${build_targets[@]}"
fi

# The readers that take a path read a scratch file: on a memory file system when
# there is one, where the program's flushes to the disk cost nothing.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi

run() {
  local name=$1 out=$build/fuzz-runs/$1
  local extra=()
  [ -n "${MAX_LEN:-}" ] && extra+=(-max_len="$MAX_LEN")
  mkdir -p "$out/corpus" "$out/findings"
  if [ -d "$root/fuzz/corpus/$name" ]; then
    cp -r "$root/fuzz/corpus/$name/." "$out/corpus/"
  fi
  nice -n 19 "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout="${TIMEOUT:-10}" \
    -rss_limit_mb=1024 -print_final_stats=1 -artifact_prefix="$out/findings/" "${extra[@]}" \
    ${FLAGS:-} "$out/corpus" >"$out/log" 2>&1 || true
}

running=0
for t in "${targets[@]}"; do
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
  out=$build/fuzz-runs/$t
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$out/log" | grep -o '[0-9]*$' || true)
  cov=$(grep -o 'cov: [0-9]*' "$out/log" | tail -1 | grep -o '[0-9]*' || true)
  ft=$(grep -o 'ft: [0-9]*' "$out/log" | tail -1 | grep -o '[0-9]*' || true)
  findings=$(ls "$out/findings" 2>/dev/null | tr '\n' ' ')
  [ -n "$findings" ] && status=1
  printf '%-16s %14s %8s %8s  %s\n' "$t" "${execs:-?}" "${cov:-?}" "${ft:-?}" "${findings:-none}"
done
exit $status
