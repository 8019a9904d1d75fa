#include "app/posix_processes.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kestrix {

namespace {

// More than any handling file; a program that writes more is cut off.
constexpr std::size_t kMostOutput = std::size_t{256} << 20;

std::string Reason(int error) {
    return std::strerror(error);
}

// The child: its outputs to the pipes, its input empty, then the program.
[[noreturn]] void StartChild(const std::vector<std::string>& command, const std::string& folder, int out,
                             int err, int failed) {
    const int nothing = ::open("/dev/null", O_RDONLY);
    if (nothing >= 0)
        ::dup2(nothing, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& arg : command)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    // Told back as a negative number when the folder is what failed.
    int error = 0;
    if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
        error = -errno;
    } else {
        ::execvp(argv[0], argv.data());
        error = errno;
    }
    [[maybe_unused]] const ssize_t told = ::write(failed, &error, sizeof error);
    ::_exit(127);
}

// Reads both outputs until the program has closed them, and closes them.
void Collect(int out, int err, platform::ProcessRun& run) {
    std::array<pollfd, 2> pipes{pollfd{out, POLLIN, 0}, pollfd{err, POLLIN, 0}};
    std::array<std::string*, 2> into{&run.output, &run.errors};
    std::array<char, 65536> buffer;
    int open = 2;
    while (open > 0) {
        if (::poll(pipes.data(), pipes.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (std::size_t i = 0; i < pipes.size(); ++i) {
            if (pipes[i].fd < 0 || pipes[i].revents == 0)
                continue;
            const ssize_t got = ::read(pipes[i].fd, buffer.data(), buffer.size());
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0 || into[i]->size() > kMostOutput) {
                // Closed at once: a program stopped on a full pipe would keep the other one open.
                ::close(pipes[i].fd);
                pipes[i].fd = -1;
                --open;
                continue;
            }
            into[i]->append(buffer.data(), static_cast<std::size_t>(got));
        }
    }
    for (const pollfd& pipe : pipes) {
        if (pipe.fd >= 0)
            ::close(pipe.fd);
    }
}

} // namespace

platform::ProcessRun PosixProcessRunner::Run(const std::vector<std::string>& command,
                                             const std::string& folder) {
    platform::ProcessRun run;
    if (command.empty()) {
        run.failure = "no program was named";
        return run;
    }
    // out, err, and a pipe that stays silent unless exec fails: it closes on exec.
    std::array<int, 2> out{-1, -1};
    std::array<int, 2> err{-1, -1};
    std::array<int, 2> failed{-1, -1};
    const auto closeAll = [&] {
        for (const int fd : {out[0], out[1], err[0], err[1], failed[0], failed[1]}) {
            if (fd >= 0)
                ::close(fd);
        }
    };
    if (::pipe2(out.data(), O_CLOEXEC) != 0 || ::pipe2(err.data(), O_CLOEXEC) != 0 ||
        ::pipe2(failed.data(), O_CLOEXEC) != 0) {
        run.failure = "Cannot run " + command[0] + ": " + Reason(errno);
        closeAll();
        return run;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        run.failure = "Cannot run " + command[0] + ": " + Reason(errno);
        closeAll();
        return run;
    }
    if (child == 0)
        StartChild(command, folder, out[1], err[1], failed[1]);
    ::close(out[1]);
    ::close(err[1]);
    ::close(failed[1]);
    out[1] = err[1] = failed[1] = -1;
    Collect(out[0], err[0], run);
    out[0] = err[0] = -1;
    int error = 0;
    const bool execFailed = ::read(failed[0], &error, sizeof error) == static_cast<ssize_t>(sizeof error);
    closeAll();
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (execFailed) {
        run.failure = "Cannot run " + command[0] + (error < 0 ? " in \"" + folder + "\"" : std::string()) +
                      ": " + Reason(error < 0 ? -error : error);
        return run;
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

} // namespace kestrix
