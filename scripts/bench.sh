#!/usr/bin/env bash
# The benchmarks, in one command: builds the host programs (and the Windows ones when MinGW-w64 is
# there), makes two installations under build/bench/ (one over the machine's Java runtime, one over a
# runtime that refuses at once), measures, prints the table of figures and goals and writes it to
# build/bench/results.md, with the raw timings and callgrind files beside it.
#
#   1. time to a finished tiny application: the host Tarnbeck against `java -jar` on the same jar
#      with the same VM options, and against the bare JNI embedding of bench/ (the floor);
#   2. the launcher's own instructions (callgrind) against those of a real start;
#   3. the time exitprobe adds to a child that exits at once, beside what a bare spawn-and-wait adds;
#   4. the size of the four Windows executables.
#
# Every timing is a ratio (or a difference) of commands run alternately in the same run; see
# docs/benchmarks.md for the method.
#
# Usage: scripts/bench.sh            (BENCH_ROUNDS=120 and BENCH_PROBE_ROUNDS=200 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
rounds=${BENCH_ROUNDS:-120}
probe_rounds=${BENCH_PROBE_ROUNDS:-200}
jobs=${JOBS:-2}
out=$repo/build/bench
bin=$repo/build/host/bin

fail() {
  echo "bench: $*" >&2
  exit 1
}
if [ "$rounds" -lt 20 ] || [ "$probe_rounds" -lt 20 ]; then
  fail "at least 20 rounds per measurement"
fi

if [ -x scripts/setup-machine.sh ]; then
  ./scripts/setup-machine.sh
fi
command -v valgrind >/dev/null || fail "valgrind is needed (scripts/setup-machine.sh installs it)"

echo "== build host"
cmake --preset host >/dev/null
cmake --build --preset host -j"$jobs" --target Tarnbeck exitprobe bench_alternate bench_jni_floor \
  bench_spawn_floor bench_stub_jvm bench_tiny_app
windows_presets=()
command -v i686-w64-mingw32-g++ >/dev/null && windows_presets+=(win32)
command -v x86_64-w64-mingw32-g++ >/dev/null && windows_presets+=(win64)
for preset in "${windows_presets[@]}"; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs" --target Tarnbeck exitprobe
done

# The machine's Java runtime: the one `java` runs.
java_bin=$(command -v java) || fail "no java on PATH (scripts/setup-machine.sh installs OpenJDK 17)"
java_home=$(dirname "$(dirname "$(readlink -f "$java_bin")")")
java=$java_home/bin/java
libjvm=$java_home/lib/server/libjvm.so
[ -e "$libjvm" ] || fail "$libjvm not found"
tiny_jar=build/host/bench/tiny-app.jar
[ -e "$tiny_jar" ] || fail "$tiny_jar was not built (no OpenJDK 17 javac and jar?)"

# The installation's launch lines: the sample's. The VM options are the lines before "-jar", and
# java -jar and the floor get exactly those.
mapfile -t launch_lines < sample/launch.properties
vm_options=()
jar_name=
for ((i = 0; i < ${#launch_lines[@]}; i++)); do
  if [ "${launch_lines[i]}" = "-jar" ]; then
    jar_name=${launch_lines[i + 1]:-}
    break
  fi
  vm_options+=("${launch_lines[i]}")
done
[ "$jar_name" = "Tarnbeck.jar" ] || fail "sample/launch.properties does not end with -jar Tarnbeck.jar"
# What Tarnbeck appends for a jar without arguments; the floor is handed the same list.
floor_options=("${vm_options[@]}" "-Djava.class.path=$jar_name" "-Dsun.java.command=$jar_name")

# The launcher sees paths with backslashes, and a .reg file doubles each backslash.
reg_path() { local windows=${1//\//\\}; printf '%s' "${windows//\\/\\\\}"; }

# An installation folder: the host Tarnbeck (a copy: it works in the folder its own path names),
# launch.properties, the tiny application as Tarnbeck.jar, a runtime home shaped like a Windows one
# whose jvm.dll is the library given, and a registry file naming both.
make_installation() {
  local folder=$1 library=$2
  mkdir -p "$folder/jre/bin/server" "$folder/jre/lib"
  ln -s "$library" "$folder/jre/bin/server/jvm.dll"
  echo "-server KNOWN" > "$folder/jre/lib/jvm.cfg"
  cp "$bin/Tarnbeck" "$folder/Tarnbeck"
  # The magnet registration looks for Tarnbeck.exe in the install folder before it writes anything.
  ln -s Tarnbeck "$folder/Tarnbeck.exe"
  cp sample/launch.properties "$folder/launch.properties"
  cp "$tiny_jar" "$folder/$jar_name"
  cat > "$folder/registry.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment]
"CurrentVersion"="17"

[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment\\17]
"JavaHome"="$(reg_path "$folder/jre")"

[HKEY_LOCAL_MACHINE\\Software\\Tarnbeck]
"InstallDir"="$(reg_path "$folder")"
REG
}

# Nothing from the caller's environment may change what the VMs or the launcher do.
unset JAVA_TOOL_OPTIONS _JAVA_OPTIONS JDK_JAVA_OPTIONS JDK_ALTERNATE_VM TARNBECK_REGISTRY_READONLY CLASSPATH
export TARNBECK_DIALOG_ANSWER=no

# Points the launcher's registry and message-box log at the installation.
use_installation() {
  export TARNBECK_REGISTRY=$1/registry.reg
  export TARNBECK_DIALOG_LOG=$1/boxes.log
}

# Runs a command once and checks its exit code and, when given, its standard output.
check_run() {
  local expected_code=$1 expected_out=$2
  shift 2
  local code=0 output
  output=$("$@" 2>"$out/check.err") || code=$?
  if [ "$code" != "$expected_code" ] || { [ -n "$expected_out" ] && [ "$output" != "$expected_out" ]; }; then
    cat "$out/check.err" >&2
    fail "$* ended with $code and printed '$output'; expected $expected_code and '$expected_out'"
  fi
}

echo "== installations in $out"
rm -rf "$out"
mkdir -p "$out"
real=$out/real
stub=$out/stub
make_installation "$real" "$libjvm"
make_installation "$stub" "$bin/libbench_stub_jvm.so"

# The first start of each installation registers the magnet: link handler (the user says yes);
# every measured start after it finds the registration in place and writes nothing.
for folder in "$real" "$stub"; do
  use_installation "$folder"
  code=0
  (cd "$folder" && TARNBECK_DIALOG_ANSWER=yes ./Tarnbeck >/dev/null 2>&1) || code=$?
  grep -qF '\Magnet\Handlers\Tarnbeck]' "$folder/registry.reg" ||
    fail "the first start in $folder (exit code $code) did not register the magnet: handler"
  rm -f "$folder/boxes.log"
done

# 1. Time to a finished application. Each command is checked once, then timed.
use_installation "$real"
cp "$real/registry.reg" "$out/registry.before"
cd "$real"
tarnbeck_command=("$real/Tarnbeck")
java_command=("$java" "${vm_options[@]}" -jar "$jar_name")
floor_command=("$bin/bench_jni_floor" "$libjvm" "$jar_name" "${floor_options[@]}")
check_run 0 "tiny app ran" "${tarnbeck_command[@]}"
check_run 0 "tiny app ran" "${java_command[@]}"
check_run 0 "tiny app ran" "${floor_command[@]}"
echo "== start to a finished application: $rounds alternating rounds"
"$bin/bench_alternate" "$rounds" "$out/start-times.csv" \
  tarnbeck "${tarnbeck_command[@]}" :: java-jar "${java_command[@]}" :: jni-floor "${floor_command[@]}" \
  | tee "$out/start.txt"
[ ! -e "$real/boxes.log" ] || fail "a timed start showed a message box: $(cat "$real/boxes.log")"
cmp -s "$real/registry.reg" "$out/registry.before" || fail "a timed start changed the registry file"
cd "$repo"

# 2. The launcher's own instructions. Symbols are bound when the program is loaded (LD_BIND_NOW), so
# the lazy binding of the C library's functions is not counted in main. The two other real starts are
# counted too: instruction counts are the repeatable counterpart of the timed ratios.
echo "== callgrind: a start over the refusing runtime, and the three real starts"
# Runs a command under callgrind in the installation's folder and checks its exit code.
callgrind() {
  local folder=$1 name=$2 expected=$3 code=0
  shift 3
  use_installation "$folder"
  (cd "$folder" && LD_BIND_NOW=1 valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.$name.out" \
    --log-file="$out/callgrind.$name.log" "$@" >/dev/null 2>&1) || code=$?
  [ "$code" = "$expected" ] || fail "the $name start under callgrind ended with $code, not $expected"
}
callgrind "$stub" stub 8 ./Tarnbeck
grep -q '"Tarnbeck was unable to load the Java Runtime Environment' "$stub/boxes.log" ||
  fail "the start over the refusing runtime did not show the runtime box"
callgrind "$real" real 0 "${tarnbeck_command[@]}"
callgrind "$real" java-jar 0 "${java_command[@]}"
callgrind "$real" jni-floor 0 "${floor_command[@]}"
[ ! -e "$real/boxes.log" ] || fail "a start under callgrind showed a message box: $(cat "$real/boxes.log")"
callgrind_annotate --inclusive=yes --threshold=100 "$out/callgrind.stub.out" \
  > "$out/callgrind.stub.inclusive.txt"
callgrind_annotate --threshold=100 "$out/callgrind.stub.out" > "$out/callgrind.stub.exclusive.txt"
# The inclusive cost of the function whose line matches (first match), without the commas.
inclusive_cost() {
  awk -v pattern="$1" '$0 ~ pattern { gsub(",", "", $1); print $1; found = 1; exit }
                       END { if (!found) exit 1 }' "$out/callgrind.stub.inclusive.txt" ||
    fail "no function matching $1 in the callgrind profile"
}
main_cost=$(inclusive_cost ':main \\[.*/Tarnbeck\\]$')
load_cost=$(inclusive_cost ':OsLoadLibrary\\(')
own_cost=$((main_cost - load_cost))
# The exclusive costs of the functions compiled into the Tarnbeck binary itself.
binary_cost=$(awk -v object="[$stub/Tarnbeck]" '
  index($0, object) && $1 ~ /^[0-9,]+$/ { gsub(",", "", $1); sum += $1 }
  END { print sum + 0 }' "$out/callgrind.stub.exclusive.txt")
instructions() { sed -n 's/^totals: *//p' "$out/callgrind.$1.out"; }
real_total=$(instructions real)

# 3. The probe's overhead.
echo "== exitprobe: $probe_rounds alternating rounds"
child=$(type -P true) || fail "no true program on PATH"
"$bin/bench_alternate" "$probe_rounds" "$out/probe-times.csv" \
  exitprobe "$bin/exitprobe" "$child" :: spawn-floor "$bin/bench_spawn_floor" "$child" :: direct "$child" \
  | tee "$out/probe.txt"

# The figures, from the timer's lines ("time NAME ...", "ratio NAME OTHER ...", "added NAME OTHER ...").
field() {
  awk -v kind="$1" -v name="$2" -v other="$3" -v column="$4" \
    '$1 == kind && $2 == name && (other == "" || $3 == other) { print $column }' "$5"
}
# True when value is at most (le) or under (lt) the goal.
meets() {
  awk -v value="$1" -v goal="$2" -v op="${3:-le}" \
    'BEGIN { exit !(op == "lt" ? value < goal : value <= goal) }'
}
# "yes" or "no" on the median; when the 95% interval reaches past the goal, the row says so.
verdict() {
  local median=$1 high=$2 goal=$3 op=${4:-le}
  if ! meets "$median" "$goal" "$op"; then
    echo "no"
  elif meets "$high" "$goal" "$op"; then
    echo "yes"
  else
    echo "yes on the median; its interval reaches $high"
  fi
}
thousands() { printf '%s' "$1" | sed ':a;s/\B[0-9]\{3\}\>/,&/;ta'; }

start_row() {
  local other=$1 label=$2 goal=$3 file=$out/start.txt
  local median high measured
  median=$(field ratio tarnbeck "$other" 4 "$file")
  high=$(field ratio tarnbeck "$other" 6 "$file")
  measured=$(printf '**%.3f** (95%%: %.3f to %.3f)' "$median" "$(field ratio tarnbeck "$other" 5 "$file")" \
    "$high")
  measured+=$(printf '; medians %.1f and %.1f ms' "$(field time tarnbeck "" 3 "$file")" \
    "$(field time "$other" "" 3 "$file")")
  measured+=$(printf '; CPU time %.3f; instructions %.3f' "$(field ratio tarnbeck "$other" 7 "$file")" \
    "$(awk -v a="$(instructions real)" -v b="$(instructions "$other")" 'BEGIN { print a / b }')")
  echo "| Time to a finished tiny app, Tarnbeck / $label | $measured | at most $goal |" \
    "$(verdict "$median" "$high" "$goal") |"
}
own_row() {
  local percent binary_percent
  percent=$(awk -v part="$own_cost" -v all="$real_total" 'BEGIN { printf "%.3f", 100 * part / all }')
  binary_percent=$(awk -v part="$binary_cost" -v all="$real_total" \
    'BEGIN { printf "%.3f", 100 * part / all }')
  local met=no
  meets "$percent" 1 lt && met=yes
  echo "| Launcher's own instructions / a real start's | **$percent%** ($(thousands "$own_cost") of" \
    "$(thousands "$real_total")); the Tarnbeck binary's functions alone $binary_percent%" \
    "($(thousands "$binary_cost")) | under 1% | $met |"
}
probe_row() {
  local file=$out/probe.txt median high measured
  median=$(field added exitprobe direct 4 "$file")
  high=$(field added exitprobe direct 6 "$file")
  measured=$(printf '**%.2f ms** (95%%: %.2f to %.2f)' "$median" "$(field added exitprobe direct 5 "$file")" \
    "$high")
  measured+=$(printf '; medians %.2f and %.2f ms' "$(field time exitprobe "" 3 "$file")" \
    "$(field time direct "" 3 "$file")")
  measured+=$(printf '; a bare spawn-and-wait adds %.2f ms' "$(field added spawn-floor direct 4 "$file")")
  echo "| Time exitprobe adds to a child that exits at once | $measured | under 1 ms |" \
    "$(verdict "$median" "$high" 1 lt) |"
}
size_row() {
  local preset=$1 program=$2 goal=$3 objdump=$4 file=$repo/build/$1/bin/$2.exe
  local label="$program.exe, $preset"
  if [ ! -e "$file" ]; then
    echo "| $label | not built (no MinGW-w64) | ${goal:--} | - |"
    return
  fi
  local size notes=""
  size=$(stat -c %s "$file")
  # grep -c reads to the end, so no writer in these pipes is cut off.
  "$objdump" -t "$file" | grep -c "no symbols" >/dev/null || notes+=", NOT stripped"
  # The resource's key is UTF-16; without its zero bytes it reads as plain text.
  tr -d '\0' < "$file" | grep -c VS_VERSION_INFO >/dev/null || notes+=", NO version resource"
  local met=-
  if [ -n "$goal" ]; then
    if [ -z "$notes" ] && [ "$size" -le $((goal * 1024)) ]; then met=yes; else met=no; fi
    goal="at most $goal KiB"
  fi
  [ -n "$notes" ] || notes=", stripped, with version resource"
  echo "| $label | **$(thousands "$size") bytes** ($(awk -v s="$size" 'BEGIN { printf "%.1f", s / 1024 }')" \
    "KiB)$notes | ${goal:--} | $met |"
}

launcher_exe=$repo/build/win32/bin/Tarnbeck.exe
{
  echo "# Benchmark results"
  echo
  echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load average at the end" \
    "$(cut -d' ' -f1-3 /proc/loadavg); $("$java" -version 2>&1 | sed -n 2p); $(valgrind --version)."
  echo
  echo "| Figure | Measured | Goal | Met |"
  echo "|---|---|---|---|"
  start_row java-jar "java -jar" 1.00
  start_row jni-floor "bare JNI floor" 1.02
  own_row
  probe_row
  size_row win32 Tarnbeck 24 i686-w64-mingw32-objdump
  size_row win32 exitprobe 6 i686-w64-mingw32-objdump
  size_row win64 Tarnbeck "" x86_64-w64-mingw32-objdump
  size_row win64 exitprobe "" x86_64-w64-mingw32-objdump
  echo
  echo "Times: wall time, median of the per-round ratios (differences for exitprobe) over $rounds" \
    "alternating rounds ($probe_rounds for exitprobe), with the interval that holds the true median with" \
    "at least 95% confidence; CPU time and instructions (callgrind) are the same ratios for context." \
    "Instructions: main of a start over a runtime that refuses at once, less the runtime library's" \
    "load, over all instructions of a real start."
  # The linker's map says where the launcher's bytes come from.
  if [ -e "$launcher_exe.map" ]; then
    echo
    echo "Where the bytes of the i686 Tarnbeck.exe come from (input sections by origin, from its linker map):"
    echo
    python3 bench/size_breakdown.py "$launcher_exe" "$launcher_exe.map"
  fi
} > "$out/results.md"
echo
cat "$out/results.md"
