#!/usr/bin/env bash
# The whole release is reproducible: reprotest builds it twice with tools/release from a copy of
# this checkout, the second time with every variation that it can make here, and every file of
# dist/ must be the same. Left out: user_group, a second user with sudo rights, which a test must
# not make. Skipped outside a git checkout, which the release's source archive needs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if ! git -C "$root" rev-parse --verify -q HEAD >/dev/null; then
    echo "NOTICE: skipped: the release is built from a git checkout, and this is none"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
git clone -q "$root" "$work/src"
git -C "$root" diff HEAD --binary | git -C "$work/src" apply --allow-empty
git -C "$root" ls-files -z -o --exclude-standard |
    (cd "$root" && xargs -0r cp --parents -t "$work/src")
cd "$work/src"
# A fixed clock, well away: left to itself, reprotest keeps the real one every second run.
reprotest --vary=-user_group,time.faketimes+=+393days+7hours -c tools/release . 'dist/*' 2>&1 |
    grep -v "^\[\|bytes$"
