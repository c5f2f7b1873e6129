#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
#
# Start-up benchmark: times epochnow_unix, static and dynamic, against two
# floors, a program without a C library that only writes one line and exits
# and an empty dynamically linked C program, and against other ways of
# printing the time; counts the instructions of one run of each with
# callgrind, which unlike the times are the same from run to run; prints a
# markdown table and draws the medians as an SVG bar chart.
#
# usage: bench/startup.sh [--quick] [--svg FILE]
#        bench/startup.sh --check-exports
#   --quick          a few runs, to check that the benchmark works; its times mean nothing
#   --svg            where to draw the chart (build/bench/startup.svg)
#   --check-exports  read the saved exports of hyperfine 1.x and 2.0 in
#                    bench/exports, each of "true" and "sleep 0.001", three
#                    runs each, as the benchmark reads its own
#
# Needs hyperfine, jq, strace, GNU time (/usr/bin/time), valgrind, gnuplot, a C
# compiler and the project's build prerequisites; x86-64 Linux for the floor
# program.
set -euo pipefail
cd "$(dirname "$0")/.."

# run_times EXPORT ROUND N: one line a run of hyperfine's JSON EXPORT: the
# command's place in the list, and its time in seconds.  The exports of
# round ROUND list the N commands starting with the ROUND-th.  hyperfine 1.x
# gives each command's times in seconds; 2.0 gives a measurement a run,
# its time_wall_clock a value with its unit.
run_times() {
	jq -r --argjson round "$2" --argjson n "$3" '
		{"second": 1, "millisecond": 1e-3, "microsecond": 1e-6} as $units |
		.results | to_entries[] | ((.key + $round) % $n) as $i |
		(.value.times // [.value.measurements[].time_wall_clock | .value * $units[.unit]])[] |
		"\($i) \(.)"' "$1"
}

runs=500 warmup=5 svg=build/bench/startup.svg
while (($#)); do
	case $1 in
	--quick) runs=20 warmup=1 ;;
	--svg) svg=${2:?startup.sh: --svg needs a file}; shift ;;
	--check-exports)
		for export in bench/exports/*.json; do
			times=$(run_times "$export" 0 2)
			echo "$export: $(paste -sd " " <<<"$times")"
			# Three runs of each, every one of "sleep 0.001" at least 1 ms.
			awk '{ n[$1]++ } $1 == 1 && $2 < 0.001 || $2 <= 0 { bad = 1 }
				END { exit bad || n[0] != 3 || n[1] != 3 || length(n) != 2 }' <<<"$times" ||
				{ echo "startup.sh: $export is not read as it should be" >&2; exit 1; }
		done
		exit 0
		;;
	*) echo "usage: bench/startup.sh [--quick] [--svg FILE] | --check-exports" >&2; exit 2 ;;
	esac
	shift
done
for tool in hyperfine jq strace /usr/bin/time valgrind gnuplot cc; do
	command -v "$tool" >/dev/null || { echo "startup.sh: $tool is needed" >&2; exit 1; }
done
[[ $(uname -m) == x86_64 ]] || { echo "startup.sh: the floor program is x86-64 only" >&2; exit 1; }

work=build/bench
mkdir -p "$work"
cc -O2 -static -nostdlib -fno-stack-protector -fno-pie -no-pie -o "$work/floor" bench/floor.c
cc -O2 -o "$work/empty" bench/empty.c
for preset in default static; do
	cmake --preset "$preset" >/dev/null
	cmake --build --preset "$preset" >/dev/null
done

names=(floor "empty dynamic" "epochnow_unix, static" "epochnow_unix, default" "date +%s")
commands=("$work/floor" "$work/empty" build/static/epochnow_unix build/default/epochnow_unix "date +%s")
if command -v busybox >/dev/null; then
	names+=("busybox date +%s")
	commands+=("busybox date +%s")
fi
names+=("perl")
commands+=("perl -e 'print time, \"\\n\"'")

# Timings drift while a benchmark runs, so run it in rounds, each command
# in turn, starting with a different command each round, and take the median
# of all the runs of each command.
rounds=10
: >"$work/times"
for ((round = 0; round < rounds; round++)); do
	order=()
	for ((k = 0; k < ${#commands[@]}; k++)); do
		order+=("${commands[(k + round) % ${#commands[@]}]}")
	done
	hyperfine -N --style none --warmup "$warmup" --runs $((runs / rounds)) \
		--export-json "$work/round.json" "${order[@]}" 2>>"$work/hyperfine.log"
	run_times "$work/round.json" "$round" ${#commands[@]} >>"$work/times"
done

# median I: the median of the runs of the I-th command, in seconds.
median() {
	awk -v i="$1" '$1 == i { print $2 }' "$work/times" | sort -g |
		awk '{ t[NR] = $1 } END { print (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }'
}
medians=()
for i in "${!commands[@]}"; do
	medians+=("$(median "$i")")
done
floor=${medians[0]}
empty=${medians[1]}
date=${medians[4]}

# instructions CMD...: the instructions one run of CMD executes, as callgrind
# counts them, with standard output on /dev/null as in the timed runs; empty
# where valgrind cannot run it.
instructions() {
	valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
		sed -n 's/^==[0-9]*== Collected : \([0-9]*\)$/\1/p'
}
counts=()
for i in "${!commands[@]}"; do
	argv=()
	eval "argv=(${commands[$i]})"
	counts+=("$(instructions "${argv[@]}")")
done

echo "Start-up of one run: median of $runs runs of each, in $rounds rounds that start with a different command (hyperfine -N, $warmup warm-ups a round)."
echo "$(date -u +%Y-%m-%d), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'), $(nproc) cores, Linux $(uname -r)."
echo
echo "| command | median (ms) | × floor | × empty dynamic | × \`date +%s\` | instructions | × empty dynamic | system calls | peak memory (KiB) | executable (bytes) |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
: >"$work/chart.dat"
for i in "${!commands[@]}"; do
	argv=()
	eval "argv=(${commands[$i]})"
	strace -f -qq -o "$work/trace" "${argv[@]}" >/dev/null
	calls=$(wc -l <"$work/trace")
	/usr/bin/time -f %M -o "$work/memory" "${argv[@]}" >/dev/null
	size=$(stat -L -c %s "$(command -v "${argv[0]}")")
	awk -v name="${names[$i]}" -v t="${medians[$i]}" -v floor="$floor" -v empty="$empty" -v date="$date" \
		-v count="${counts[$i]}" -v empty_count="${counts[1]}" \
		-v calls="$calls" -v memory="$(<"$work/memory")" -v size="$size" \
		'BEGIN {
			printf "| %s | %.3f | %.2f | %.2f | %.2f | ", name, t * 1000, t / floor, t / empty, t / date
			if (count == "" || empty_count == "")
				printf "— | — | "
			else
				printf "%d | %.2f | ", count, count / empty_count
			printf "%d | %d | %d |\n", calls, memory, size
		}'
	printf '%d\t"%s"\t%s\n' "$i" "${names[$i]}" "${medians[$i]}" >>"$work/chart.dat"
done

# The budget: the default build executes at most 1.10 times the empty
# dynamic program's instructions.  Counts, not times: they do not move.
if [[ -n ${counts[1]} && -n ${counts[3]} ]] && ((counts[3] * 100 > counts[1] * 110)); then
	echo "startup.sh: the default build executes ${counts[3]} instructions, over 1.10 times the empty program's ${counts[1]}" >&2
	exit 1
fi

# One bar a command, the first at the top.
mkdir -p "$(dirname "$svg")"
gnuplot <<END
set terminal svg size 720,$((60 + 36 * ${#commands[@]})) font "sans,13" background "white" noenhanced
set output "$svg"
set title "Start-up of one run: median of $runs runs (ms, shorter is better)"
set style fill solid 0.8 noborder
set xrange [0:*]
set offsets 0, graph 0.12, 0, 0
set xlabel "ms"
set yrange [${#commands[@]} - 0.5:-0.5]
set grid xtics
unset key
set border 3
set tics nomirror
plot "$work/chart.dat" using (\$3 * 500):1:(\$3 * 500):(0.35):ytic(2) with boxxyerror lc rgb "#4a7ab5", \
	"" using (\$3 * 1000):1:(sprintf("%.3f", \$3 * 1000)) with labels left offset 0.5,0
END
sed -i '1a <!-- SPDX-License-Identifier: ISC -->' "$svg"
