#!/usr/bin/env bash
# Builds and runs the fuzz targets of fuzz/ (libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer,
# built with clang into build-fuzz/, or $QUILLO_FUZZ_BUILD_DIR).
#
#   scripts/fuzz.sh build                       configure and build every target
#   scripts/fuzz.sh list                        name the targets
#   scripts/fuzz.sh run <target> [seconds] [libFuzzer options...]
#                                               fuzz one target; without seconds it runs until stopped
#   scripts/fuzz.sh soak <target> <cpu-minutes> [libFuzzer options...]
#                                               fuzz one target at the lowest priority until it has used
#                                               that much CPU time, logging to build-fuzz/fuzz-work/<target>/soak.log
#   scripts/fuzz.sh all <seconds>               every target for that many seconds, as many at once as
#                                               there are cores (CI); each one's output in
#                                               build-fuzz/fuzz-work/<target>/all.log
#   scripts/fuzz.sh replay <target> <file...>   run the target once on each file (to reproduce a finding)
#
# A run starts from the target's seeds (fuzz/corpus/<target>/) and every earlier finding
# (fuzz/regressions/<target>/), and grows a working corpus in build-fuzz/fuzz-work/<target>/corpus that
# later runs continue from. An input that crashes, hangs past the per-input time-out or takes more than the
# per-input memory limit is written to build-fuzz/fuzz-work/<target>/ as crash-*, timeout-*, oom-* or
# leak-*; the run then stops with a failure. To keep one as a regression case, copy it into
# fuzz/regressions/<target>/ under a name that says what it found; the plain suite replays it from then on.
#
# Fuzzing for hours on a shared machine: `soak` runs at the lowest priority and counts CPU time, not the
# time on the clock, which on a busy machine can be many times longer:
#   scripts/fuzz.sh soak AviRepair 240
# or by the clock:
#   nice -n 19 scripts/fuzz.sh run AviRepair 14400
# Two processes on one target share its working corpus: add -jobs=2 -workers=2 to the options.
# At the end libFuzzer prints its last status line: "cov:" counts the instrumented edges of Quillo's own
# code reached, "exec/s" the inputs run per second; CPU time is in the "stat::" lines (-print_final_stats=1
# is on).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILLO_FUZZ_BUILD_DIR:-$top/build-fuzz}
work=$build/fuzz-work

# One input may take this long by the clock before it counts as a hang; the slowest readers (a video
# decoded to find its streams, a damaged header the demuxer loops over) need a few seconds of CPU time at
# most with the sanitizers, so ten leaves room for a loaded machine. At the lowest priority on a machine
# that is busy with other work an input can wait for the CPU much longer: raise it there (60 is plenty) and
# replay what times out on a quiet moment before taking it for a hang.
per_input_seconds=${QUILLO_FUZZ_TIMEOUT:-10}
# One input may make the process this large before it counts as runaway memory: the readers hold a
# document or a video's headers, a few megabytes, and the sanitizers roughly double what they use.
rss_limit_mb=${QUILLO_FUZZ_RSS_MB:-2048}

targets() {
  sed -n 's/^quillo_add_fuzz_target(\([A-Za-z0-9_]*\).*/\1/p' "$top/fuzz/CMakeLists.txt"
}

build_targets() {
  # Debug keeps Quillo's assertions; -O1 and line tables only are libFuzzer's usual trade between speed of
  # the runs, speed of the build and readable stack traces.
  "$top/scripts/install-deps.sh"
  source "$top/scripts/build-tools.sh"
  if [ ! -f "$build/CMakeCache.txt" ]; then
    CXX=${CXX_FUZZ:-clang++} CC=${CC_FUZZ:-clang} cmake -S "$top" -B "$build" -DQUILLO_FUZZ=ON \
      -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" "${quillo_configure[@]}" >/dev/null
  fi
  cmake --build "$build" -j"${QUILLO_FUZZ_JOBS:-$(nproc)}" --target quillo_fuzz_targets
}

binary() {
  local program=$build/bin/fuzz_$1
  [ -x "$program" ] || { echo "no fuzz target $1 (scripts/fuzz.sh build; targets: $(targets | xargs))" >&2; exit 2; }
  echo "$program"
}

environment() {
  # The scratch files of the readers that take a path go to memory, not to the disk.
  [ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
  export QT_QPA_PLATFORM=offscreen
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
  export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$top/fuzz/lsan.supp:print_suppressions=0}
}

run_target() {
  local name=$1 seconds=${2:-0}
  shift $(($# < 2 ? $# : 2))
  local program
  program=$(binary "$name")
  local corpus=$work/$name/corpus
  mkdir -p "$corpus"
  local options=(-timeout="$per_input_seconds" -rss_limit_mb="$rss_limit_mb" -max_total_time="$seconds"
                 -print_final_stats=1 -artifact_prefix="$work/$name/")
  [ -f "$top/fuzz/dict/$name.dict" ] && options+=(-dict="$top/fuzz/dict/$name.dict")
  local seeds=("$top/fuzz/corpus/$name")
  [ -d "$top/fuzz/regressions/$name" ] && seeds+=("$top/fuzz/regressions/$name")
  environment
  echo "== fuzz_$name for ${seconds}s (0: until stopped)"
  "$program" "${options[@]}" "$@" "$corpus" "${seeds[@]}"
}

# The CPU time (user and system, all threads, and the children it has waited for, such as the leak
# checker's) the process has used, in seconds.
cpu_seconds() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  # Past the command's name: fields 12 to 15 are utime, stime, cutime and cstime, in clock ticks.
  awk -v ticks="$(getconf CLK_TCK)" '{ print int(($12 + $13 + $14 + $15) / ticks) }' <<<"$stat"
}

soak_target() {
  local name=$1 minutes=$2
  shift 2
  local log=$work/$name/soak.log
  mkdir -p "$work/$name"
  renice -n 19 $$ >/dev/null
  run_target "$name" 0 "$@" >"$log" 2>&1 &
  local runner=$!
  # The libFuzzer program itself, the runner's child once it has started.
  local program=""
  while [ -z "$program" ] && kill -0 "$runner" 2>/dev/null; do
    sleep 1
    program=$(pgrep -P "$runner" -f "bin/fuzz_$name " || true)
  done
  local used=0
  while [ -n "$program" ] && kill -0 "$program" 2>/dev/null; do
    used=$(cpu_seconds "$program") || break
    [ "$used" -ge $((minutes * 60)) ] && { kill -INT "$program"; break; }
    sleep 5
  done
  local status=0
  wait "$runner" || status=$?
  echo "== fuzz_$name used ${used} s of CPU time ($((minutes * 60)) asked); log: $log"
  tail -n 12 "$log"
  # libFuzzer leaves an interrupted run with status 72; any other failure is a finding.
  [ "$status" -eq 0 ] || [ "$status" -eq 72 ] || [ "$status" -eq 130 ]
}

# Every target for the same time, each a process of its own, at most one per core (QUILLO_FUZZ_PARALLEL
# to choose): one target on one core runs as fast as alone, so the whole takes the time of one target per
# round instead of the sum of all. Each target's output goes to its own log, shown once it has ended.
run_all() {
  local seconds=$1 slots=${QUILLO_FUZZ_PARALLEL:-$(nproc)}
  local names
  names=$(targets)
  for name in $names; do
    while [ "$(jobs -rp | wc -l)" -ge "$slots" ]; do wait -n || true; done
    mkdir -p "$work/$name"
    rm -f "$work/$name/all.status"
    ( status=0; run_target "$name" "$seconds" >"$work/$name/all.log" 2>&1 || status=$?
      echo "$status" >"$work/$name/all.status" ) &
  done
  wait
  local failed=()
  for name in $names; do
    echo "== fuzz_$name: $(grep -E '^#[0-9]+' "$work/$name/all.log" | tail -n 1)"
    if [ "$(cat "$work/$name/all.status" 2>/dev/null)" != 0 ]; then
      failed+=("$name")
      tail -n 40 "$work/$name/all.log"
    fi
  done
  if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found faults in: ${failed[*]} (inputs in $work/<target>/)" >&2
    return 1
  fi
  echo "fuzzing: $(wc -w <<<"$names") targets, $seconds s each, at most $slots at once, nothing found"
}

command=${1:-}
case "$command" in
  build) build_targets ;;
  list) targets ;;
  run)
    [ $# -ge 2 ] || { echo "usage: scripts/fuzz.sh run <target> [seconds] [libFuzzer options...]" >&2; exit 2; }
    shift
    run_target "$@"
    ;;
  soak)
    [ $# -ge 3 ] || { echo "usage: scripts/fuzz.sh soak <target> <cpu-minutes> [libFuzzer options...]" >&2; exit 2; }
    shift
    soak_target "$@"
    ;;
  all)
    [ $# -ge 2 ] || { echo "usage: scripts/fuzz.sh all <seconds>" >&2; exit 2; }
    build_targets
    run_all "$2"
    ;;
  replay)
    [ $# -ge 3 ] || { echo "usage: scripts/fuzz.sh replay <target> <file...>" >&2; exit 2; }
    program=$(binary "$2")
    shift 2
    environment
    "$program" -timeout="$per_input_seconds" -rss_limit_mb="$rss_limit_mb" "$@"
    ;;
  *)
    sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'
    exit 2
    ;;
esac
