// Runs the command-line program as a child process, as a user or a script would: the program
// named by TV_CLI, behind the launcher named by TV_CLI_WRAPPER when that is set (Wine for the
// Windows build).
#pragma once

#include <string>
#include <vector>

struct Result {
    int status = -1; // exit status; -1 when the child did not exit normally
    std::string out, err;
};

// True when the program runs behind a launcher (the Windows build under Wine).
bool Wrapped();

// Runs the program with args in directory dir, standard input a file holding input. Behind the
// launcher every "\r" is dropped from the outputs, so Windows line ends come back as "\n".
Result RunCli(const std::string &dir, const std::vector<std::string> &args,
              const std::string &input = "");

// Runs the program in dir on a new pseudo-terminal and types typed once prompt has shown;
// returns the exit status, with all the terminal showed in shown.
int RunOnTerminal(const std::string &dir, const std::vector<std::string> &args,
                  const std::string &prompt, const std::string &typed, std::string &shown);
