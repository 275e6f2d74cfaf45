#!/usr/bin/env bash
# Builds every preset this machine can build, makes a sample installation under build/sample/ (the
# host launcher, launch.properties for a 64-bit runtime, a sample Tarnbeck.jar built from sample/src,
# and a registry file naming the machine's Java runtime and the installation folder), and starts the
# launcher there with a magnet: link, the way the shell starts the registered handler. The link shows
# up in the sample application's main.
#
# Usage: scripts/run-sample.sh [magnet-link]
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
link=${1:-'magnet:?xt=urn:sha1:YNCKHTQCWBTRNJIV4WNAE52SJUQCZO5C&dn=Tarnbeck+sample.txt'}
jobs=${JOBS:-2}

if [ -x scripts/setup-machine.sh ]; then
  ./scripts/setup-machine.sh
fi

presets=(host)
command -v i686-w64-mingw32-g++ >/dev/null && presets+=(win32)
command -v x86_64-w64-mingw32-g++ >/dev/null && presets+=(win64)
for preset in "${presets[@]}"; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
done

# The machine's Java runtime: the one `java` runs, else the OpenJDK 17 the builds use.
java_home=/usr/lib/jvm/java-17-openjdk-amd64
if java_bin=$(command -v java); then
  java_home=$(dirname "$(dirname "$(readlink -f "$java_bin")")")
fi
libjvm=$java_home/lib/server/libjvm.so
javac=$java_home/bin/javac
jar=$java_home/bin/jar
for tool in "$libjvm" "$javac" "$jar"; do
  if [ ! -e "$tool" ]; then
    echo "run-sample: $tool not found; a JDK is needed (scripts/setup-machine.sh installs one)" >&2
    exit 1
  fi
done
java_version=$(sed -n 's/^JAVA_VERSION="\([^"]*\)"$/\1/p' "$java_home/release" 2>/dev/null || true)
java_version=${java_version:-17}

# The launcher sees paths with backslashes, and a .reg file doubles each backslash.
reg_path() { local windows=${1//\//\\}; printf '%s' "${windows//\\/\\\\}"; }

sample=$repo/build/sample
echo "== sample installation in $sample"
rm -rf "$sample"
mkdir -p "$sample/jre/bin/server" "$sample/jre/lib" "$sample/classes"
# A runtime home shaped like a Windows one, running the machine's VM.
ln -s "$libjvm" "$sample/jre/bin/server/jvm.dll"
echo "-server KNOWN" > "$sample/jre/lib/jvm.cfg"
cp build/host/bin/Tarnbeck "$sample/Tarnbeck"
# The registration looks for Tarnbeck.exe in the install folder before it writes anything.
ln -s Tarnbeck "$sample/Tarnbeck.exe"
cp sample/launch.properties "$sample/launch.properties"
"$javac" -d "$sample/classes" sample/src/sample/*.java
"$jar" --create --file "$sample/Tarnbeck.jar" --main-class sample.ShowLaunch -C "$sample/classes" .
cat > "$sample/registry.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment]
"CurrentVersion"="$java_version"

[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment\\$java_version]
"JavaHome"="$(reg_path "$sample/jre")"

[HKEY_LOCAL_MACHINE\\Software\\Tarnbeck]
"InstallDir"="$(reg_path "$sample")"
REG

echo "== $sample/Tarnbeck '$link'"
status=0
TARNBECK_REGISTRY=$sample/registry.reg TARNBECK_DIALOG_ANSWER=yes "$sample/Tarnbeck" "$link" || status=$?
echo "== the launcher ended with exit code $status"
echo "== the registry after the start, with the magnet: registration ($sample/registry.reg):"
cat "$sample/registry.reg"
exit "$status"
