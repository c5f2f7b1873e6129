#!/usr/bin/env bash
# Start-up benchmark: times epochnow_unix, static and dynamic, against a floor
# program that only writes one line and exits, and against other ways of
# printing the time, and prints a markdown table.
#
# usage: bench/startup.sh [--quick]
#   --quick   a few runs, to check that the benchmark works; its times mean nothing
#
# Needs hyperfine, jq, strace, GNU time (/usr/bin/time), a C compiler and the
# project's build prerequisites; x86-64 Linux for the floor program.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=500 warmup=5
if [[ ${1:-} == --quick ]]; then
	runs=20 warmup=1
fi
for tool in hyperfine jq strace /usr/bin/time cc; do
	command -v "$tool" >/dev/null || { echo "startup.sh: $tool is needed" >&2; exit 1; }
done
[[ $(uname -m) == x86_64 ]] || { echo "startup.sh: the floor program is x86-64 only" >&2; exit 1; }

work=build/bench
mkdir -p "$work"
cc -O2 -static -nostdlib -fno-stack-protector -fno-pie -no-pie -o "$work/floor" bench/floor.c
for preset in default static; do
	cmake --preset "$preset" >/dev/null
	cmake --build --preset "$preset" >/dev/null
done

names=(floor "epochnow_unix, static" "epochnow_unix, default" "date +%s")
commands=("$work/floor" build/static/epochnow_unix build/default/epochnow_unix "date +%s")
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
	# One line a run: the command's place in the list, and its time.
	jq -r --argjson round "$round" --argjson n ${#commands[@]} \
		'.results | to_entries[] | ((.key + $round) % $n) as $i | .value.times[] | "\($i) \(.)"' \
		"$work/round.json" >>"$work/times"
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
date=${medians[3]}

echo "Start-up of one run: median of $runs runs of each, in $rounds rounds that start with a different command (hyperfine -N, $warmup warm-ups a round)."
echo "$(date -u +%Y-%m-%d), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'), $(nproc) cores, Linux $(uname -r)."
echo
echo "| command | median (ms) | × floor | × \`date +%s\` | system calls | peak memory (KiB) | executable (bytes) |"
echo "|---|---:|---:|---:|---:|---:|---:|"
for i in "${!commands[@]}"; do
	eval "argv=(${commands[$i]})"
	strace -f -qq -o "$work/trace" "${argv[@]}" >/dev/null
	calls=$(wc -l <"$work/trace")
	/usr/bin/time -f %M -o "$work/memory" "${argv[@]}" >/dev/null
	size=$(stat -L -c %s "$(command -v "${argv[0]}")")
	awk -v name="${names[$i]}" -v t="${medians[$i]}" -v floor="$floor" -v date="$date" \
		-v calls="$calls" -v memory="$(<"$work/memory")" -v size="$size" \
		'BEGIN { printf "| %s | %.3f | %.2f | %.2f | %d | %d | %d |\n", name, t * 1000, t / floor, t / date, calls, memory, size }'
done
