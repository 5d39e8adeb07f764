#!/usr/bin/python3
"""The command-line program's manual page: mandoc finds nothing to warn of in it, and it names
every option that --help names.
    man_test.py PROGRAM PAGE"""
import re
import subprocess
import sys

program, page = sys.argv[1:]
lint = subprocess.run(["mandoc", "-T", "lint", "-W", "warning", page], capture_output=True,
                      text=True)
failures = [lint.stdout + lint.stderr] if lint.returncode or lint.stdout or lint.stderr else []
shown = subprocess.run(["mandoc", "-T", "ascii", page], capture_output=True, text=True).stdout
shown = re.sub(".\b", "", shown)  # bold and underline are overstruck
usage = subprocess.run([program, "--help"], capture_output=True, text=True).stdout
for option in sorted(set(re.findall(r"--[a-z][a-z-]*", usage))):
    if not re.search(f"(?<![\\w-]){option}(?![\\w-])", shown):
        failures.append(f"the page does not name {option}")
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
