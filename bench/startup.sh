#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
#
# Start-up benchmark: epochnow_unix, its default and static builds, beside
# the floor (bench/floor.c: one write and an exit, no C library), an empty
# dynamically linked C program (bench/empty.c) and other ways of printing
# the time.  Prints a Markdown table of their median times, measured side by
# side in one run, and of the instructions one run executes as callgrind
# counts them, which unlike times do not move from run to run; draws the
# medians as an SVG chart.  Fails where the default build executes more than
# 1.10 times the empty program's instructions.
#
# usage: bench/startup.sh [--quick] [--svg FILE]
#   --quick  a few runs, to check that it works: its times mean nothing
#   --svg    where to draw the chart (build/bench/startup.svg)
#
# Needs hyperfine, jq, valgrind, gnuplot, musl (so that the static build is
# the one measured here), a C compiler, and x86-64 Linux for the floor.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=500 svg=build/bench/startup.svg usage="usage: bench/startup.sh [--quick] [--svg FILE]"
while (($#)); do
	case $1 in
	--quick) runs=20 ;;
	--svg) svg=${2:?startup.sh: --svg needs a file} && shift ;;
	-h | --help) echo "$usage" && exit 0 ;;
	*) echo "$usage" >&2 && exit 2 ;;
	esac
	shift
done
missing=$(for tool in hyperfine jq valgrind gnuplot musl-gcc; do command -v "$tool" >/dev/null || echo "$tool"; done |
	sed 's/^gnuplot$/gnuplot-nox/; s/^musl-gcc$/musl-tools/' | paste -sd' ')
[[ -z $missing ]] || { echo "startup.sh: needs what is not installed: apt-get install $missing" >&2 && exit 1; }
work=build/bench
mkdir -p "$work"
cc -O2 -static -nostdlib -fno-stack-protector -fno-pie -no-pie -o "$work/floor" bench/floor.c
cc -O2 -o "$work/empty" bench/empty.c
for preset in default static; do
	cmake --preset "$preset" >/dev/null && cmake --build "build/$preset" >/dev/null
done
names=(floor "empty dynamic" "epochnow_unix, static" "epochnow_unix, default" "date +%s" perl)
commands=("$work/floor" "$work/empty" build/static/epochnow_unix build/default/epochnow_unix "date +%s"
	"perl -e 'print time, \"\\n\"'")
n=${#commands[@]}

# Timings drift while a benchmark runs: ten rounds, each starting with the
# next command, and the median of all the runs of each.  hyperfine 1.x gives
# each command's times in seconds; 2.0 a measurement a run, with its unit.
: >"$work/times"
for ((round = 0; round < 10; round++)); do
	k=$((round % n))
	hyperfine -N --style none --warmup 3 --runs $((runs / 10)) --export-json "$work/round.json" \
		"${commands[@]:k}" "${commands[@]:0:k}" 2>>"$work/hyperfine.log"
	jq -r --argjson k "$k" --argjson n "$n" '{"second": 1, "millisecond": 1e-3, "microsecond": 1e-6} as $unit |
		.results | to_entries[] | ((.key + $k) % $n) as $i |
		(.value.times // [.value.measurements[].time_wall_clock | .value * $unit[.unit]])[] | "\($i) \(.)"' \
		"$work/round.json" >>"$work/times"
done

medians=() counts=()
for i in "${!commands[@]}"; do
	medians+=("$(awk -v i="$i" '$1 == i { print $2 }' "$work/times" | sort -g |
		awk '{ t[NR] = $1 } END { print (t[int((NR + 1) / 2)] + t[int(NR / 2) + 1]) / 2 }')")
	argv=()
	eval "argv=(${commands[$i]})"
	counts+=("$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "${argv[@]}" 2>&1 >/dev/null |
		sed -n 's/^==[0-9]*== Collected : \([0-9]*\)$/\1/p')")
done

echo "Start-up: the median of $runs runs of each, in 10 rounds (hyperfine -N); the instructions of one run (callgrind)."
echo "$(date -u +%F), $(sed -n 's/^model name\t*: //p' /proc/cpuinfo | head -n 1), $(nproc) cores, Linux $(uname -r)."
echo
echo "| command | median (ms) | × \`date +%s\` | instructions | × empty dynamic |"
echo "|---|---:|---:|---:|---:|"
: >"$work/chart.dat"
for i in "${!commands[@]}"; do
	awk -v name="${names[$i]}" -v t="${medians[$i]}" -v date="${medians[4]}" -v count="${counts[$i]}" \
		-v empty="${counts[1]}" 'BEGIN { printf "| %s | %.3f | %.2f | %d | %.2f |\n",
			name, t * 1000, t / date, count, count / empty }'
	printf '%d\t"%s"\t%s\n' "$i" "${names[$i]}" "${medians[$i]}" >>"$work/chart.dat"
done
if ((counts[3] * 100 > counts[1] * 110)); then
	echo "startup.sh: the default build executes ${counts[3]} instructions, over 1.10 times the empty program's ${counts[1]}" >&2
	exit 1
fi

# One bar a command, the first at the top.
mkdir -p "$(dirname "$svg")"
gnuplot <<END
set terminal svg size 720,$((60 + 36 * n)) font "sans,13" background "white" noenhanced
set output "$svg"
set title "Start-up of one run: median of $runs runs (ms, shorter is better)"
set style fill solid 0.8 noborder
set xrange [0:*]
set offsets 0, graph 0.12, 0, 0
set yrange [$n - 0.5:-0.5]
set grid xtics
unset key
set border 3
set tics nomirror
plot "$work/chart.dat" using (\$3 * 500):1:(\$3 * 500):(0.35):ytic(2) with boxxyerror lc rgb "#4a7ab5", \
	"" using (\$3 * 1000):1:(sprintf("%.3f", \$3 * 1000)) with labels left offset 0.5,0
END
sed -i '1a <!-- SPDX-License-Identifier: ISC -->' "$svg"
