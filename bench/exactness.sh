#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
#
# Exactness at the turn of a second: starts epochnow_unix, the default and
# static builds, and each of its peers that is installed, just as a second
# begins, RUNS times each, with the suite's tests/boundary.cpp, and prints a
# markdown table of how often each printed the second that had begun.  The
# last column names the clocks each reads, as gdb's breakpoints on the
# vDSO's entry points catch them in one run; a program that reads the coarse
# clock, which the kernel updates once a tick, prints the second before
# during the first milliseconds of each second.
#
# usage: bench/exactness.sh [RUNS]    (20 unless told)
#
# Needs the project's build prerequisites; gdb to name the clocks.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-20}
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "usage: bench/exactness.sh [RUNS]" >&2; exit 2; }
for preset in default static; do
	cmake --preset "$preset" >/dev/null
	cmake --build --preset "$preset" >/dev/null
done

# name | command, as the shell would split it
peers=$(
	cat <<-'END'
		epochnow_unix, default | build/default/epochnow_unix
		epochnow_unix, static | build/static/epochnow_unix
		date +%s | date +%s
		busybox date +%s | busybox date +%s
		perl | perl -e 'print time, "\n"'
		bash printf | bash -c 'printf "%(%s)T\n" -1'
		bash $EPOCHSECONDS | bash -c 'echo $EPOCHSECONDS'
		python3 | /usr/bin/python3 -c 'import time; print(int(time.time()))'
	END
)

# clocks CMD...: the clock calls one run of CMD makes through the vDSO, in
# order, each once.
clocks() {
	command -v gdb >/dev/null || { echo "—"; return; }
	mkdir -p build/bench
	cat >build/bench/clocks.gdb <<-'END'
		set breakpoint pending on
		break __vdso_time
		commands
		silent
		printf "clock: time()\n"
		continue
		end
		break __vdso_gettimeofday
		commands
		silent
		printf "clock: gettimeofday()\n"
		continue
		end
		break __vdso_clock_gettime
		commands
		silent
		printf "clock: clock_gettime(%d)\n", $rdi
		continue
		end
		run
	END
	gdb -q -batch -x build/bench/clocks.gdb --args "$@" 2>/dev/null </dev/null | awk '
		BEGIN { name["(0)"] = "(CLOCK_REALTIME)"; name["(1)"] = "(CLOCK_MONOTONIC)"; name["(5)"] = "(CLOCK_REALTIME_COARSE)" }
		/^clock: / && !seen[$2]++ {
			call = $2
			if (match(call, /\([0-9]+\)$/) && (substr(call, RSTART) in name))
				call = substr(call, 1, RSTART - 1) name[substr(call, RSTART)]
			printf "%s%s", sep, call
			sep = ", "
		}'
}

echo "Started as a second begins, $runs times each, by tests/boundary.cpp."
# The tick: how far the coarse clock, which time() reads, may lag.
tick=$(perl -MTime::HiRes=clock_getres -e 'printf "%g", clock_getres(5) * 1000')
echo "$(date -u +%Y-%m-%d), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'), $(nproc) cores, Linux $(uname -r), a tick of $tick ms."
echo
echo "| command | printed the second that had begun | printed the second before | clocks it reads (vDSO) |"
echo "|---|---:|---:|---|"
while IFS='|' read -r name command; do
	name=${name% } command=${command# }
	argv=()
	eval "argv=($command)"
	command -v "${argv[0]}" >/dev/null || continue
	runs_out=$(build/default/tests/boundary -n "$runs" "${argv[@]}" || true)
	# Each line: "second S had begun; printed P".
	read -r begun before < <(awk '{ if ($6 + 0 >= $2 + 0) ok++; else late++ } END { print ok + 0, late + 0 }' <<<"$runs_out")
	((begun + before == runs)) || { echo "exactness.sh: $name did not run $runs times" >&2; exit 1; }
	echo "| $name | $begun | $before | $(clocks "${argv[@]}") |"
done <<<"$peers"
