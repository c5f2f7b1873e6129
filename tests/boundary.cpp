// SPDX-License-Identifier: ISC
//
// boundary [-n RUNS] PROGRAM [ARG...]: at RUNS boundaries of the real-time
// clock's seconds (3 unless told), wait until a new second has begun, start
// PROGRAM at once and check that it printed that second (or a later one,
// should it have started late).  A program that reads a clock updated only
// once per scheduler tick prints the second before during the first
// milliseconds of each second, and fails.
//
// Exits 0 when every run printed a second in time, 1 when one did not, and 2
// when PROGRAM could not be run.

#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <string>

extern char **environ;

namespace {

time_t now()
{
	timespec ts{};
	clock_gettime(CLOCK_REALTIME, &ts);
	return ts.tv_sec;
}

// Run the program with its standard output into a pipe; its output, or
// false when it could not be run or did not exit 0.
bool run(char **argv, std::string &output)
{
	int out[2];
	if (pipe(out) != 0)
		return false;
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
	posix_spawn_file_actions_addclose(&actions, out[0]);
	posix_spawn_file_actions_addclose(&actions, out[1]);
	pid_t pid;
	const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv, environ);
	posix_spawn_file_actions_destroy(&actions);
	close(out[1]);
	if (failed != 0) {
		close(out[0]);
		return false;
	}
	char buffer[64];
	ssize_t n;
	while ((n = read(out[0], buffer, sizeof buffer)) > 0)
		output.append(buffer, static_cast<size_t>(n));
	close(out[0]);
	int status;
	return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char **argv)
{
	int runs = 3;
	if (argc > 2 && strcmp(argv[1], "-n") == 0) {
		runs = atoi(argv[2]);
		argv += 2;
		argc -= 2;
	}
	if (argc < 2 || runs < 1) {
		fprintf(stderr, "usage: boundary [-n RUNS] PROGRAM [ARG...]\n");
		return 2;
	}
	int late = 0;
	for (int boundary = 0; boundary < runs; boundary++) {
		// Spin rather than sleep: waking from a sleep takes longer than the
		// window in which a lagging clock shows.
		const time_t before = now();
		time_t begun;
		while ((begun = now()) == before)
			;
		std::string output;
		if (!run(argv + 1, output)) {
			fprintf(stderr, "boundary: %s did not run and exit 0\n", argv[1]);
			return 2;
		}
		const time_t after = now();
		const long long printed = strtoll(output.c_str(), nullptr, 10);
		const bool in_time = printed >= begun && printed <= after;
		printf("second %lld had begun; printed %s", static_cast<long long>(begun), output.c_str());
		if (!in_time)
			late++;
	}
	return late == 0 ? 0 : 1;
}
