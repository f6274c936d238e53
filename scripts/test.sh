#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite headless: an X server (Xvfb) with a
# system-tray host and a PulseAudio server with a virtual microphone are started here for the tests that
# need them.
#
#   scripts/test.sh [--sanitize] [--build-only | --suite-only] [ctest arguments...]
#
# --sanitize builds a second tree (<build>-sanitize) with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs the suite there: any report, a leak included, fails its test. --build-only stops after the build and
# --suite-only runs the suite of a tree built before, so that CI can build one tree while another's suite runs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILLO_BUILD_DIR:-$top/build}

sanitize=0 build_step=1 suite_step=1
ctest_args=()
for arg in "$@"; do
  case $arg in
    --sanitize) sanitize=1 ;;
    --build-only) suite_step=0 ;;
    --suite-only) build_step=0 ;;
    *) ctest_args+=("$arg") ;;
  esac
done
chosen=$([ ${#ctest_args[@]} -gt 0 ] && echo 1 || echo 0)

"$top/scripts/install-deps.sh"
# Each step's time on the clock and the machine's load beside it (a shared machine's builds take longer than
# a quiet one's); with QUILLO_TIMINGS set, the lines are added to that file as well, for .ci/run's summary.
phase=$([ "$sanitize" = 1 ] && echo sanitized || echo plain)
timed() {
  local name=$1 started=$SECONDS status=0
  shift
  "$@" || status=$?
  local line="== $phase $name: $((SECONDS - started)) s (load average $(cut -d' ' -f1-3 /proc/loadavg))"
  echo "$line"
  [ -z "${QUILLO_TIMINGS:-}" ] || echo "$line" >>"$QUILLO_TIMINGS"
  return "$status"
}
build_tree() {
  QUILLO_BUILD_DIR=$build timed build "$top/scripts/build.sh" "$@"
}
if [ "$sanitize" = 1 ]; then
  build=$build-sanitize
  # Sanitized code runs a few times slower than the normal build, and leak checking at exit adds to it.
  # -O1 is the level the sanitizers' authors advise, and line tables are all a report's stack needs: compiling
  # takes about 40 % less processor time than -O2 with full debug information, which CI pays on every run.
  [ "$build_step" = 0 ] || build_tree -DQUILLO_SANITIZE=ON -DQUILLO_TEST_TIMEOUT=360 \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
  # The slow unwinder at each allocation gives a leak its whole stack, through libraries built without frame
  # pointers too: the suppressions then match the library that leaked rather than the allocator it called.
  export ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=0:strip_path_prefix=$top/
  export LSAN_OPTIONS=suppressions=$top/scripts/sanitizer-suppressions.txt:print_suppressions=0
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:strip_path_prefix=$top/
  # LeakSanitizer's own thread that stops the process to look for leaks at its end has crashed there once
  # ("Tracer caught signal 11 ... LeakSanitizer has encountered a fatal error") after every test function had
  # passed; a program that fails is run once more, and a report that comes again still fails it.
  ctest_args=(--repeat until-pass:2 "${ctest_args[@]}")
elif [ "${CI:-}" = true ]; then
  # CI only needs a failing test's stack, for which line tables are enough; full debug information makes
  # every object several times larger to write and link.
  [ "$build_step" = 0 ] || build_tree -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
else
  [ "$build_step" = 0 ] || build_tree
fi
[ "$suite_step" = 1 ] || exit 0

scratch=$(mktemp -d)
chmod 700 "$scratch"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

export HOME=$scratch/home XDG_RUNTIME_DIR=$scratch/run
mkdir -p "$HOME" && install -d -m 700 "$XDG_RUNTIME_DIR"

# Xvfb picks a free display itself and writes its number to the file descriptor we give it.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
display=$(cat "$scratch/display")
[ -n "$display" ] || { echo "Xvfb did not start" >&2; cat "$scratch/xvfb.log" >&2; exit 1; }
export QUILLO_TEST_DISPLAY=:$display

# A system tray for the tests of tray icons. Only as wide as its icons, in a corner, and claiming no screen
# edge, so the tests that place windows or grab the screen see the same desktop as without it.
DISPLAY=:$display trayer --edge bottom --align right --widthtype request --SetPartialStrut false \
  >"$scratch/trayer.log" 2>&1 &
tray=$!
pids+=($tray)
sleep 0.2
if kill -0 "$tray" 2>/dev/null; then
  export QUILLO_TEST_TRAY=1
else
  echo "trayer did not start; tray tests will skip" >&2
  cat "$scratch/trayer.log" >&2
fi

pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disallow-exit \
  -L module-native-protocol-unix -L "module-null-sink sink_name=spk" >"$scratch/pulse.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
if pactl info >/dev/null 2>&1; then
  pactl load-module module-null-source source_name=nsrc >/dev/null
  export QUILLO_TEST_PULSE=1
  # Tests get runtime folders of their own; this tells the audio tests where the server listens.
  export QUILLO_TEST_PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native
else
  echo "PulseAudio did not start; audio tests will skip" >&2
fi

cd "$build"
# The whole suite: the programs that record in real time (label "realtime") run one by one at the usual
# priority, those of them labelled "apart" in a queue of their own beside them, while the rest runs beside both
# at a lower priority; so they get the processor time they need, and the suite takes about as long as the
# longest of the three rather than their sum. The queues' reports follow the rest's. With ctest arguments (a
# choice of tests, -j2) the suite runs as asked.
run_suite() {
  if [ "$chosen" = 1 ]; then
    ctest --output-on-failure -j"$(nproc)" "${ctest_args[@]}"
    return
  fi
  local status=0 one_by_one apart
  ctest --output-on-failure -L '^realtime$' -LE '^apart$' "${ctest_args[@]}" >"$scratch/one-by-one.log" 2>&1 &
  one_by_one=$!
  ctest --output-on-failure -L '^apart$' "${ctest_args[@]}" >"$scratch/apart.log" 2>&1 &
  apart=$!
  pids+=("$one_by_one" "$apart")
  nice -n 10 ctest --output-on-failure -j"$(nproc)" -LE '^realtime$' "${ctest_args[@]}" || status=$?
  wait "$one_by_one" || { [ "$status" != 0 ] || status=1; }
  wait "$apart" || { [ "$status" != 0 ] || status=1; }
  echo "== the programs that record in real time: one by one, then apart"
  cat "$scratch/one-by-one.log" "$scratch/apart.log"
  return "$status"
}
timed suite run_suite
