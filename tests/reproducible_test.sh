#!/usr/bin/env bash
# The whole release is reproducible: reprotest builds it twice from a copy of this checkout, the
# second time with every variation that it can make here but a second user, which a test must not
# make, and its clock fixed well away (left to itself, it keeps the real one every second run).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
git -C "$root" rev-parse -q --verify HEAD >/dev/null ||
    { echo "NOTICE: skipped: the release is built from a git checkout, and this is none"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
git clone -q "$root" "$work/src"
git -C "$root" diff HEAD --binary | git -C "$work/src" apply --allow-empty
git -C "$root" ls-files -z -o --exclude-standard |
    (cd "$root" && xargs -0r cp --parents -t "$work/src")
cd "$work/src"
reprotest --vary=-user_group,time.faketimes+=+393days+7hours -c tools/release . 'dist/*' 2>&1 |
    grep -v "^\[\|bytes$"
