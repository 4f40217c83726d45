#!/usr/bin/env bash
# Builds the benchmarks in their own Release build, runs them and the
# two-process measurements, and writes docs/performance.md with the machine
# they ran on. Exit status 0 when every budget holds.
#
#   bench/bericht.sh [BUILD_DIR]      (default: build-bench)
#   BENCH_ALARME=50 BENCH_LEERLAUF=60 BENCH_STARTS=10   (the defaults)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-bench}
alarme=${BENCH_ALARME:-50}
leerlauf=${BENCH_LEERLAUF:-60}
starts=${BENCH_STARTS:-10}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target bench_messungen bench_prozesse bench_last hestrel
if [ ! -x "$build/bench/bench_messungen" ]; then
  echo "bench: Google Benchmark is missing (scripts/install-deps installs libbenchmark-dev)" >&2
  exit 2
fi

arbeit=$(mktemp -d "${TMPDIR:-/tmp}/hestrel-bench.XXXXXX")
trap 'rm -rf "$arbeit"' EXIT
status=0

echo "bench: benchmarks in one process (about 2 minutes)" >&2
QT_QPA_PLATFORM=offscreen "$build/bench/bench_messungen" \
  --bericht="$arbeit/messungen.md" --befehl="$build/bench/bench_messungen" || status=1
echo "bench: real processes, $alarme alarms (about $((alarme * 22 / 60 + 3)) minutes)" >&2
"$build/bench/bench_prozesse" --alarme="$alarme" --leerlauf="$leerlauf" --starts="$starts" \
  --bericht="$arbeit/prozesse.md" --befehl="$build/bench/bench_prozesse" || status=1

echo "bench: the file server's load, on the test file system (about 1 minute, needs FUSE)" >&2
"$build/bench/bench_last" --bericht="$arbeit/last.md" --befehl="$build/bench/bench_last" || status=1
echo "bench: the real program's load, 5 minutes with no colleague and 5 with 20" >&2
last_0=$("$build/bench/bench_last" --programm="$build/hestrel" --minuten=5 --kollegen=0 | cut -d' ' -f1) || status=1
last_20=$("$build/bench/bench_last" --programm="$build/hestrel" --minuten=5 --kollegen=20 | cut -d' ' -f1) || status=1

teil() {  # a table the measuring program wrote, or why it is missing
  if [ -s "$1" ]; then cat "$1"; else echo "*(no figures: the measuring program failed, see its output)*"; fi
}
feld() { grep -m1 "^$1" "$2" 2>/dev/null | cut -d: -f2- | sed 's/^ *//'; }

cpu=$(feld "model name" /proc/cpuinfo)
speicher=$(awk '/^MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo)
os=$(. /etc/os-release && echo "$PRETTY_NAME")
qt=$(dpkg-query -W -f='${Version}' libqt6core6 2>/dev/null || echo "?")
compiler=$(c++ --version | head -1)
dateisystem=$(df -T "${TMPDIR:-/tmp}" | awk 'NR == 2 {print $2}')
stand=$(git rev-parse --short HEAD 2>/dev/null || echo "?")
if ! git diff --quiet HEAD 2>/dev/null; then stand="$stand with local changes"; fi

{
  cat <<EOF
# Performance

What Hestrel exists for is getting an alarm from one desk to the others fast
and staying unobtrusive the rest of the time. \`make bench\` measures both and
writes this file; every figure that compares two things measures both in the
same run. Budgets missed are marked **no**, and \`make bench\` then ends with
a failure.

## Machine

| | |
|---|---|
| CPU | $cpu, $(nproc) cores |
| Memory | $speicher |
| OS | $os, kernel $(uname -r) |
| Qt | $qt, offscreen platform, no audio device |
| Compiler | $compiler, Release build (\`$build\`) |
| Temporary files | ${TMPDIR:-/tmp} on $dateisystem (local disk; the group directories lie there) |
| Measured | $(date -u '+%Y-%m-%d %H:%M UTC'), commit $stand |

## One workstation, in one process

The program's own composition (engine, Qt services, windows offscreen, the
alarm device on a pseudo-terminal) on the real file system, driven tick by
tick; times from Google Benchmark or, for single alarms, from the file
operations themselves.

EOF
  teil "$arbeit/messungen.md"
  cat <<EOF

## Real processes

\`build-bench/hestrel\` started as a user starts it, each with its own
APPDATA, on one tree of 50 group directories; the harness is the sending
workstation's alarm device and watches the files with inotify.

EOF
  teil "$arbeit/prozesse.md"
  cat <<EOF

## The file server's load

What one workstation asks of the server that holds a group directory, per
group and minute, counted where the requests arrive (see "How the figures are
taken"): idle, and in the ten minutes after an alarm it sent or received, with
0 or 20 colleagues in the group and 0 or 20,000 unrelated files in its
directory, against an older desk in the same run. The goal for idle: at most
1.1 times the older desk, plus one renewal of the presence record and one look
at the directory per minute.

EOF
  teil "$arbeit/last.md"
  cat <<EOF

The real program in real time, idle, one group on the counting file system:
$last_0 requests per minute with no colleague, $last_20 with 20 colleagues
(\`$build/bench/bench_last --programm=$build/hestrel --minuten=5 --kollegen=20\`).
EOF
  echo
  cat bench/notizen.md
} > docs/performance.md

echo "bench: docs/performance.md written" >&2
exit $status
