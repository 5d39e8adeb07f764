// Child processes through fork and exec. Standard input is a pipe filled before the child
// starts, and the outputs go to files that are read after it ends, so no wait can ever block
// on a full pipe or on a Wine server that keeps a pipe open.
#include "child.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

bool Wrapped() {
    const char *w = std::getenv("TV_CLI_WRAPPER");
    return w && *w;
}

static std::vector<std::string> CommandLine(const std::vector<std::string> &args) {
    std::vector<std::string> line;
    if (Wrapped())
        line.push_back(std::getenv("TV_CLI_WRAPPER"));
    const char *cli = std::getenv("TV_CLI");
    line.push_back(cli ? cli : "TV_CLI-is-not-set");
    line.insert(line.end(), args.begin(), args.end());
    return line;
}

// In the child: moves to dir and becomes the program; never returns.
[[noreturn]] static void Exec(const std::string &dir, const std::vector<std::string> &line) {
    std::vector<char *> argv;
    for (const std::string &a : line)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    if (chdir(dir.c_str()) == 0)
        execv(argv[0], argv.data());
    _exit(127);
}

static int Status(pid_t pid) {
    int st;
    while (waitpid(pid, &st, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

static std::string Slurp(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Windows console programs end their lines with "\r\n".
static std::string UnixLines(std::string text) {
    if (!Wrapped())
        return text;
    for (size_t i = 0; (i = text.find("\r\n", i)) != std::string::npos;)
        text.erase(i, 1);
    return text;
}

Result RunCli(const std::string &dir, const std::string &scratch,
              const std::vector<std::string> &args, const std::string &input) {
    std::vector<std::string> line = CommandLine(args);
    std::string outPath = scratch + "/stdout", errPath = scratch + "/stderr";
    int in[2];
    if (pipe(in) != 0)
        return {};
    // Inputs are far below the capacity of a pipe, so this never blocks.
    bool written = write(in[1], input.data(), input.size()) == static_cast<ssize_t>(input.size());
    close(in[1]);
    pid_t pid = written ? fork() : -1;
    if (pid == 0) {
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || dup2(in[0], 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
            _exit(127);
        Exec(dir, line);
    }
    close(in[0]);
    if (pid < 0)
        return {};
    Result r;
    r.status = Status(pid);
    r.out = UnixLines(Slurp(outPath));
    r.err = UnixLines(Slurp(errPath));
    return r;
}

// Appends what the terminal shows to transcript until it holds want (or, with want empty,
// until the child has closed it). False when the terminal ends first or stays silent for a
// minute, so a hung child fails the test instead of stalling it.
static bool ReadUntil(int master, std::string &transcript, const std::string &want) {
    char chunk[256];
    while (want.empty() || transcript.find(want) == std::string::npos) {
        struct pollfd p = {master, POLLIN, 0};
        if (poll(&p, 1, 60000) <= 0)
            return false;
        ssize_t got = read(master, chunk, sizeof chunk);
        if (got <= 0)
            return want.empty(); // EIO once the child has closed the terminal
        transcript.append(chunk, static_cast<size_t>(got));
    }
    return true;
}

Result RunOnTerminal(const std::string &dir, const std::vector<std::string> &args,
                     const std::string &prompt, const std::string &typed, std::string &transcript) {
    std::vector<std::string> line = CommandLine(args);
    int master;
    pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0)
        Exec(dir, line);
    if (pid < 0)
        return {};
    transcript.clear();
    bool prompted = ReadUntil(master, transcript, prompt);
    if (prompted && write(master, typed.data(), typed.size()) < 0)
        prompted = false;
    if (prompted)
        ReadUntil(master, transcript, "");
    else
        kill(pid, SIGKILL);
    close(master);
    Result r;
    r.status = Status(pid);
    return r;
}
