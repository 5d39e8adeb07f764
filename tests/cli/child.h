// Runs the command-line program as a child process, as a user or a script would: the program
// named by TV_CLI, behind the launcher named by TV_CLI_WRAPPER when that is set (Wine for the
// Windows build).
#pragma once

#include <string>
#include <vector>

struct Result {
    int status = -1; // exit status; -1 when the child did not exit normally
    std::string out; // standard output
    std::string err; // standard error
};

// True when the program runs behind a launcher (the Windows build under Wine).
bool Wrapped();

// Runs the program with args in directory dir; input is what standard input holds (a pipe).
// Output captures go to files under scratch. Windows line ends come back as "\n".
Result RunCli(const std::string &dir, const std::string &scratch,
              const std::vector<std::string> &args, const std::string &input = "");

// Runs the program in dir on a new pseudo-terminal; once transcript shows prompt, types typed.
// transcript receives everything the terminal showed.
Result RunOnTerminal(const std::string &dir, const std::vector<std::string> &args,
                     const std::string &prompt, const std::string &typed, std::string &transcript);
