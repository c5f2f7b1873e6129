# SPDX-License-Identifier: ISC
#
# Sourced by every check in this folder, after it has set $usage: strict
# mode, the project's root as the working folder, --help, and the ways a
# check reports.

set -euo pipefail
: "${usage:?a check sets usage before it sources lib.bash}"
check=${0##*/}
cd "$(dirname "$0")/../.."

if [[ ${1:-} == -h || ${1:-} == --help ]]; then
	echo "$usage"
	exit 0
fi

# step TEXT: say what the check does next.
step() {
	echo "== $check: $*"
}

# fail TEXT: the check has failed.
fail() {
	echo "$check: $*" >&2
	exit 1
}

# row NAME COMMAND...: one row of a check that runs every row: COMMAND runs
# in a subshell in strict mode; a failure is reported and counted, and the
# check goes on.  rows_done: the end of such a check, which fails, naming
# the rows that failed, if any did.
failed_rows=()
row() {
	step "$1"
	set +e
	(
		set -e
		"${@:2}"
	)
	local status=$?
	set -e
	((status == 0)) || { failed_rows+=("$1") && echo "$check: FAILED: $1" >&2; }
}
rows_done() {
	((${#failed_rows[@]} == 0)) || fail "$(printf '%s\n' "${#failed_rows[@]} rows failed:" "${failed_rows[@]}")"
	echo "$check: every row passed"
}

# needs COMMAND[:PACKAGE]...: fail, naming the Debian packages of the commands missing.
needs() {
	local tool missing=()
	for tool; do command -v "${tool%%:*}" >/dev/null || missing+=("${tool#*:}"); done
	((${#missing[@]} == 0)) || fail "needs what is not installed: apt-get install ${missing[*]}"
}

# posix_shells: SHELLS, the POSIX shells that scripts run under, but any this Debian release lacks.
posix_shells() {
	local shell package command
	SHELLS=()
	for shell in dash:dash posh:posh busybox:busybox\ sh mksh:mksh ksh:ksh93 yash:yash bash:bash\ --posix; do
		package=${shell%%:*} command=${shell#*:}
		command -v "${command%% *}" >/dev/null || apt-cache show "$package" >/dev/null 2>&1 ||
			{ echo "$check: skipped: $command: $(. /etc/os-release && echo "$PRETTY_NAME") has no $package" && continue; }
		needs "${command%% *}:$package" && SHELLS+=("$command")
	done
}

# misuse: wrong arguments.
misuse() {
	echo "$usage" >&2
	exit 2
}

# need_root WHAT: skip the check, saying why, unless it runs as root.
need_root() {
	if ((EUID != 0)); then
		echo "$check: skipped: $1 needs root"
		exit 0
	fi
}

# debian_mirror: the Debian archive that this machine's apt takes its own
# release from, read at run time.
debian_mirror() {
	local release mirror
	release=$(. /etc/os-release && echo "$VERSION_CODENAME")
	# shellcheck disable=SC2016 # $(FIELD) is apt's placeholder, not the shell's
	mirror=$(apt-get indextargets --format '$(RELEASE) $(CREATED_BY) $(REPO_URI)' |
		awk -v release="$release" '$1 == release && $2 == "Packages" && !found { print $3; found = 1 }')
	[[ -n $mirror ]] || fail "apt knows no archive for $release: run apt-get update first"
	echo "$mirror"
}
