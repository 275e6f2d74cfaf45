#!/usr/bin/env bash
# Runs every fuzz target of the fuzz preset from its seed corpus for a bounded time, one after the
# other, and fails when any of them finds something (a crash, a sanitizer report, a leak, a failed
# check, a timeout). Prints the executions each target ran.
#
#   scripts/fuzz-all.sh [--seconds N] [--target NAME] [--keep DIR]
#
# --seconds N   time per target (default 50, about 7 minutes for the 8 targets); the long run is
#               --seconds 600, 80 minutes.
# --target NAME only this target (reg_parser, vm_config, ...).
# --keep DIR    keep the grown corpora in DIR/<target> instead of throwing them away.
# The corpora in fuzz/corpus are copied first, so a run never writes into the repository; what a
# target finds is saved under build/fuzz/findings/<target>/ for a regression case.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=50
only=""
keep=""
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --target) only="$2"; shift 2 ;;
    --keep) keep="$2"; shift 2 ;;
    *) echo "usage: $0 [--seconds N] [--target NAME] [--keep DIR]" >&2; exit 2 ;;
  esac
done

bin=build/fuzz/bin
if ! ls "$bin"/fuzz_* >/dev/null 2>&1; then
  echo "no fuzz targets in $bin: cmake --preset fuzz && cmake --build --preset fuzz" >&2
  exit 2
fi

# The copied corpora and the logs live in the build folder, where no clean-up of temporary folders
# reaches them during a long run. The targets' own scratch files go to tmpfs when there is one (the
# registry targets save a file on every change), in a folder per target removed at the end, also
# after a target crashed and left its files.
mkdir -p build/fuzz
scratch=$(mktemp -d "$PWD/build/fuzz/run-XXXXXX")
if [ -w /dev/shm ]; then
  files=$(mktemp -d /dev/shm/fuzz-run-XXXXXX)
else
  files="$scratch/files"
fi
trap 'rm -rf "$scratch" "$files"' EXIT

status=0
summary=""
for program in "$bin"/fuzz_*; do
  name=${program##*/fuzz_}
  if [ -n "$only" ] && [ "$name" != "$only" ]; then
    continue
  fi
  corpus="$scratch/corpus/$name"
  mkdir -p "$corpus" "$files/$name"
  if [ -d "fuzz/corpus/$name" ]; then
    cp -r "fuzz/corpus/$name/." "$corpus/"
  fi
  # Absolute: a target may fail while it works in its scratch folder.
  findings="$PWD/build/fuzz/findings/$name"
  mkdir -p "$findings"
  dict=()
  if [ -f "fuzz/dict/$name.dict" ]; then
    dict=(-dict="fuzz/dict/$name.dict")
  fi
  log="$scratch/$name.log"
  echo "== fuzz $name for ${seconds}s"
  set +e
  # One worker. The target's own output (the launcher's warnings) is closed; libFuzzer and the
  # sanitizers still report.
  TMPDIR="$files/$name" "$program" "$corpus" "${dict[@]}" \
    -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2560 \
    -close_fd_mask=3 -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1
  result=$?
  set -e
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1 || true)
  if [ "$result" -ne 0 ]; then
    status=1
    echo "!! fuzz_$name found something (exit $result); the input is in $findings/"
    tail -n 60 "$log"
    summary+=$(printf '%-20s FAILED after %s executions\n' "$name" "${runs:-?}")$'\n'
  else
    summary+=$(printf '%-20s clean, %s executions\n' "$name" "${runs:-?}")$'\n'
  fi
  if [ -n "$keep" ]; then
    mkdir -p "$keep/$name"
    cp -r "$corpus/." "$keep/$name/"
  fi
done

echo "== fuzz summary (${seconds}s per target)"
printf '%s' "$summary"
exit $status
