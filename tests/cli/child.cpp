// Child processes through fork and exec. Standard input and the outputs are temporary files,
// filled before the child starts and read after it ends, so no wait can block on a full pipe or
// on a Wine server that keeps a pipe open.
#include "child.h"

#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

bool Wrapped() {
    return std::getenv("TV_CLI_WRAPPER") != nullptr;
}

// In the child: moves to dir and becomes the program; never returns.
[[noreturn]] static void Exec(const std::string &dir, std::vector<std::string> args) {
    args.insert(args.begin(), std::getenv("TV_CLI")); // the test checks that it is set
    if (Wrapped())
        args.insert(args.begin(), std::getenv("TV_CLI_WRAPPER"));
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    if (chdir(dir.c_str()) == 0)
        execv(argv[0], argv.data());
    _exit(127);
}

static int Wait(pid_t pid) {
    int st = 0;
    return pid > 0 && waitpid(pid, &st, 0) == pid && WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

static std::string Drain(FILE *f) {
    std::string text;
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;)
        if (c != '\r' || !Wrapped())
            text += static_cast<char>(c);
    std::fclose(f);
    return text;
}

Result RunCli(const std::string &dir, const std::vector<std::string> &args,
              const std::string &input) {
    FILE *files[] = {std::tmpfile(), std::tmpfile(), std::tmpfile()}; // its stdin, stdout, stderr
    if (!files[0] || !files[1] || !files[2])
        return {};
    std::fwrite(input.data(), 1, input.size(), files[0]);
    std::rewind(files[0]);
    pid_t pid = fork();
    if (pid == 0) {
        for (int i = 0; i < 3; i++)
            dup2(fileno(files[i]), i);
        Exec(dir, args);
    }
    int status = Wait(pid);
    std::fclose(files[0]);
    return {status, Drain(files[1]), Drain(files[2])};
}

int RunOnTerminal(const std::string &dir, const std::vector<std::string> &args,
                  const std::string &prompt, const std::string &typed, std::string &shown) {
    int master = -1;
    pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0)
        Exec(dir, args);
    bool typedYet = false;
    char chunk[256];
    struct pollfd p = {master, POLLIN, 0};
    // Reads until the child closes the terminal; one silent minute kills a hung child.
    while (pid > 0) {
        ssize_t got = poll(&p, 1, 60000) > 0 ? read(master, chunk, sizeof chunk) : -2;
        if (got == -2)
            kill(pid, SIGKILL);
        if (got <= 0)
            break;
        shown.append(chunk, size_t(got));
        if (!typedYet && shown.find(prompt) != std::string::npos)
            typedYet = write(master, typed.data(), typed.size()) == ssize_t(typed.size());
    }
    close(master);
    return Wait(pid);
}
