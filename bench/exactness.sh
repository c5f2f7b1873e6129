#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
#
# Exactness at the turn of a second: starts epochnow_unix, its default and
# static builds, and each other way of printing the time that is installed,
# just as a second begins, RUNS times each, with the suite's
# tests/boundary.cpp, and prints a Markdown table of how often each printed
# the second that had begun.  A program that reads time(), a copy of the
# clock that the kernel moves once a tick, may print the second before
# during the first tick of each second; the table's heading gives the tick.
#
# usage: bench/exactness.sh [RUNS]    (20 unless told)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-20}
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "usage: bench/exactness.sh [RUNS]" >&2 && exit 2; }
for preset in default static; do
	cmake --preset "$preset" >/dev/null && cmake --build "build/$preset" >/dev/null
done

# The tick, as the resolution of CLOCK_REALTIME_COARSE (5), which time() reads.
tick=$(perl -MTime::HiRes=clock_getres -e 'printf "%g", clock_getres(5) * 1000')
echo "Started as a second begins, $runs times each, by tests/boundary.cpp."
echo "$(date -u +%F), $(sed -n 's/^model name\t*: //p' /proc/cpuinfo | head -n 1), $(nproc) cores, Linux $(uname -r), a tick of $tick ms."
echo
echo "| command | printed the second that had begun | printed the second before |"
echo "|---|---:|---:|"
while IFS='|' read -r name command; do
	argv=()
	eval "argv=($command)"
	command -v "${argv[0]}" >/dev/null || continue
	# Each line of boundary: "second S had begun; printed P".
	read -r begun before < <(build/default/tests/boundary -n "$runs" "${argv[@]}" |
		awk '{ if ($6 + 0 >= $2 + 0) ok++; else late++ } END { print ok + 0, late + 0 }')
	((begun + before == runs)) || { echo "exactness.sh: $name did not run $runs times" >&2 && exit 1; }
	echo "| $name | $begun | $before |"
done <<'END'
epochnow_unix, default|build/default/epochnow_unix
epochnow_unix, static|build/static/epochnow_unix
date +%s|date +%s
busybox date +%s|busybox date +%s
perl|perl -e 'print time, "\n"'
bash printf|bash -c 'printf "%(%s)T\n" -1'
bash $EPOCHSECONDS|bash -c 'echo $EPOCHSECONDS'
python3|python3 -c 'import time; print(int(time.time()))'
END
