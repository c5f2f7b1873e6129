// SPDX-License-Identifier: ISC
//
// The first process of the images that tests/checks/kernels boots.  For
// each line "SECONDS NANOSECONDS PROGRAM..." of /readings, and each PROGRAM
// there, it sets the real-time clock with clock_settime, waits until the
// next second has begun when the nanoseconds are not 0, and runs /bin/PROGRAM.
// Each run is one line on the console:
//
//   epochnow-kernel: run PROGRAM SECONDS.NANOSECONDS STATUS STDOUT STDERR
//
// where the outputs are written with \n for a line feed and \\ for a
// backslash, and "-" stands for an empty one.  A run that straddles a
// second is repeated: which second it should print would be unknown.  The
// machine restarts at the end, which qemu -no-reboot takes for the end.
//
// Built statically with 64-bit time, so that it can set any reading.

#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/reboot.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <string>

namespace {

[[noreturn]] void finish(const char *why)
{
	if (why != nullptr)
		printf("epochnow-kernel: failed: %s: %s\n", why, strerror(errno));
	else
		printf("epochnow-kernel: done\n");
	fflush(stdout);
	sync();
	reboot(RB_AUTOBOOT);
	_exit(1);
}

std::string escaped(const std::string &text)
{
	if (text.empty())
		return "-";
	std::string out;
	for (const char c : text) {
		if (c == '\n')
			out += "\\n";
		else if (c == '\\')
			out += "\\\\";
		else
			out += c;
	}
	return out;
}

std::string drain(int fd)
{
	std::string text;
	char buffer[256];
	ssize_t n;
	while ((n = read(fd, buffer, sizeof buffer)) > 0)
		text.append(buffer, static_cast<size_t>(n));
	close(fd);
	return text;
}

time_t seconds_now()
{
	timespec now{};
	clock_gettime(CLOCK_REALTIME, &now);
	return now.tv_sec;
}

// Run /bin/PROGRAM once; false when it could not be started.
bool run(const std::string &program, int &status, std::string &out, std::string &err)
{
	int out_pipe[2], err_pipe[2];
	if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0)
		finish("pipe");
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_adddup2(&actions, out_pipe[1], STDOUT_FILENO);
	posix_spawn_file_actions_adddup2(&actions, err_pipe[1], STDERR_FILENO);
	for (const int fd : {out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]})
		posix_spawn_file_actions_addclose(&actions, fd);
	const std::string path = "/bin/" + program;
	char *argv[] = {const_cast<char *>(path.c_str()), nullptr};
	char *envp[] = {const_cast<char *>("PATH=/bin"), nullptr};
	pid_t pid;
	const int failed = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp);
	posix_spawn_file_actions_destroy(&actions);
	close(out_pipe[1]);
	close(err_pipe[1]);
	out = drain(out_pipe[0]);
	err = drain(err_pipe[0]);
	if (failed != 0) {
		errno = failed;
		return false;
	}
	int wstatus;
	if (waitpid(pid, &wstatus, 0) != pid)
		finish("waitpid");
	status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
	return true;
}

}  // namespace

int main()
{
	mkdir("/dev", 0755);
	if (mount("devtmpfs", "/dev", "devtmpfs", 0, nullptr) != 0 && errno != EBUSY)
		finish("mount /dev");
	const int console = open("/dev/console", O_RDWR);
	if (console < 0)
		_exit(1);
	for (int fd = 0; fd < 3; fd++)
		dup2(console, fd);
	setvbuf(stdout, nullptr, _IOLBF, 0);

	utsname system{};
	uname(&system);
	// A line of its own: the firmware may leave the cursor mid-line.
	printf("\nepochnow-kernel: machine %s %s\n", system.machine, system.release);
	printf("epochnow-kernel: EOVERFLOW %s\n", strerror(EOVERFLOW));

	const int fd = open("/readings", O_RDONLY);
	if (fd < 0)
		finish("/readings");
	const std::string readings = drain(fd);
	size_t line = 0, line_end;
	for (; (line_end = readings.find('\n', line)) != std::string::npos; line = line_end + 1) {
		char *rest;
		const long long seconds = strtoll(readings.c_str() + line, &rest, 10);
		const long nanoseconds = strtol(rest, &rest, 10);
		size_t word = static_cast<size_t>(rest - readings.c_str());
		while ((word = readings.find_first_not_of(' ', word)) < line_end) {
			const size_t word_end = std::min(readings.find(' ', word), line_end);
			const std::string program = readings.substr(word, word_end - word);
			word = word_end;
			int status = 0;
			std::string out, err;
			for (int attempt = 0; attempt < 3; attempt++) {
				timespec set{};
				set.tv_sec = static_cast<time_t>(seconds);
				set.tv_nsec = nanoseconds;
				if (clock_settime(CLOCK_REALTIME, &set) != 0)
					finish("clock_settime");
				time_t begun = seconds_now();
				if (nanoseconds != 0)
					while ((begun = seconds_now()) == set.tv_sec)
						;
				if (!run(program, status, out, err))
					finish(program.c_str());
				if (seconds_now() == begun)
					break;
			}
			printf("epochnow-kernel: run %s %lld.%09ld %d %s %s\n", program.c_str(), seconds,
				nanoseconds, status, escaped(out).c_str(), escaped(err).c_str());
		}
	}
	finish(nullptr);
}
