#!/usr/bin/python3
"""The command-line program's manual page: mandoc finds nothing to warn of in it, and it names
every option that --help names.
    man_test.py PROGRAM PAGE"""
import re
import subprocess
import sys

program, page = sys.argv[1:]
out = lambda *command: subprocess.run(command, capture_output=True, text=True).stdout
failures = [out("mandoc", "-T", "lint", "-W", "warning", page)]
shown = re.sub(".\b", "", out("mandoc", "-T", "ascii", page))  # bold and underline overstrike
for option in sorted(set(re.findall(r"--[a-z][a-z-]*", out(program, "--help")))):
    if not re.search(f"(?<![\\w-]){option}(?![\\w-])", shown):
        failures.append(f"the page does not name {option}\n")
print("".join(failures), end="")
sys.exit(1 if "".join(failures) else 0)
