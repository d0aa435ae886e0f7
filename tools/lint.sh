#!/usr/bin/env bash
# Checks the project's own sources: the layout of every C++ file against
# .clang-format, then clang-tidy with the checks in .clang-tidy.  clang-tidy
# reads the compile commands of a configured build folder and runs on the
# files of the given folders that this build compiles (headers are checked
# through the files that include them).  Exits non-zero on any finding.
#
#   tools/lint.sh [build-folder] [folder...]     (default: build src tools)
#
# The tests are left out of the clang-tidy run by default: their QtTest and
# GoogleTest headers make each file several seconds dearer, which more than
# doubles the run, and faults in them show when they run (plain and under
# the sanitizers).  `tools/lint.sh build src tools tests` checks them too.
# JOBS=n runs n clang-tidy processes at once (default: the processor count).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${1:-build}
shift || true
FOLDERS=("$@")
[ ${#FOLDERS[@]} -gt 0 ] || FOLDERS=(src tools)
JOBS=${JOBS:-$(nproc 2>/dev/null || echo 2)}
FORMAT=${CLANG_FORMAT:-clang-format-14}
TIDY=${CLANG_TIDY:-clang-tidy-14}

mapfile -t files < <(git ls-files '*.cpp' '*.h')
echo "clang-format: ${#files[@]} files"
"$FORMAT" --dry-run -Werror "${files[@]}"

db="$BUILD_DIR/compile_commands.json"
[ -f "$db" ] || { echo "lint: no $db (configure the build first)" >&2; exit 2; }
# Source files of those folders that this build compiles: null stand-ins
# replaced by their real backend, and the fuzz drivers, are not in it.
top=$(pwd)
mapfile -t units < <(
  comm -12 <(git ls-files -- "${FOLDERS[@]/%//*.cpp}" | sed "s|^|$top/|" | sort) \
           <(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$db" | sort -u))
echo "clang-tidy: ${#units[@]} files in ${FOLDERS[*]}, $JOBS at a time"
start=$(date +%s)
status=0
printf '%s\0' "${units[@]}" | xargs -0 -n 1 -P "$JOBS" "$TIDY" -p "$BUILD_DIR" --quiet \
  2> >(grep -v ' warnings\{0,1\} generated\.$' >&2) || status=$?
echo "clang-tidy: $(($(date +%s) - start)) s"
exit "$status"
