#!/usr/bin/env bash
# Checks that C++ sources and headers follow .clang-format: runs `clang-format --dry-run --Werror` on the files
# given (paths relative to the current folder), or with none given on every C++ file of the project's own code
# (app, platform, doccam, annotation, medialib, recording, upload, tests, bench, fuzz). Build trees and
# generated files (moc_, ui_, qrc_ and *_autogen output) are never checked, nor are files given that are not
# C++, lie outside the repository or no longer exist, so CI can pass the list of changed files as it stands.
# Prints each file that would change and exits 1 when there is one; exits 2 when clang-format itself fails.
# CLANG_FORMAT names another clang-format binary; the style was measured with version 14.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
clang_format=${CLANG_FORMAT:-clang-format}
owned='^(app|platform|doccam|annotation|medialib|recording|upload|tests|bench|fuzz)/'
cxx='\.(cpp|cc|cxx|h|hh|hpp|hxx|inl|ipp)$'
# Folders named build*, CMake's own and the Qt code generators' output.
excluded='(^|/)(build[^/]*|CMakeFiles|[^/]*_autogen)/|(^|/)(moc_|ui_|qrc_)[^/]*$|\.moc$'

command -v "$clang_format" >/dev/null || { echo "check-format: $clang_format not found" >&2; exit 2; }
version=$("$clang_format" --version | sed -n 's/.*version \([0-9]*\).*/\1/p')
if [ "$version" != 14 ]; then
  echo "check-format: $clang_format is version ${version:-unknown}, the style was measured with 14;" \
       "its answers may differ" >&2
fi

files=()
if [ $# -eq 0 ]; then
  # Tracked and new files alike; git's ignore rules already keep the build trees out.
  while IFS= read -r file; do
    files+=("$file")
  done < <(git -C "$top" ls-files --cached --others --exclude-standard \
             | grep -E "$owned" | grep -E "$cxx" | grep -vE "$excluded" | sort -u)
else
  for given in "$@"; do
    [ -f "$given" ] || continue
    file=$(realpath --relative-to="$top" "$given")
    [[ $file == ../* ]] && continue
    [[ $file =~ $cxx ]] || continue
    [[ $file =~ $excluded ]] && continue
    files+=("$file")
  done
fi

cd "$top"
[ ${#files[@]} -gt 0 ] || exit 0
# A style file clang-format cannot read would otherwise show as every file failing.
if ! problem=$("$clang_format" --style=file --dump-config "${files[0]}" 2>&1 >/dev/null); then
  echo "check-format: clang-format cannot use the style: $problem" >&2
  exit 2
fi
# In batches over all cores: one process per file costs minutes on a busy machine. Each batch prints only the
# names of its files that differ, in one short write, so that the batches' answers do not interleave.
check_batch() {
  local out names
  out=$("$CHECK_FORMAT_BINARY" --style=file --dry-run --Werror --ferror-limit=1 "$@" 2>&1) && return 0
  names=$(sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' <<<"$out" | sort -u)
  if [ -n "$names" ]; then
    printf '%s\n' "$names"
  else
    printf 'check-format: clang-format failed:\n%s\n' "$out" >&2
    return 1
  fi
}
export -f check_batch
export CHECK_FORMAT_BINARY=$clang_format
status=0
listed=$(printf '%s\0' "${files[@]}" | xargs -0 -n 32 -P "$(nproc)" bash -c 'check_batch "$@"' check_batch) \
  || status=$?
mapfile -t differ < <(sort -u <<<"$listed" | sed '/^$/d')
if [ ${#differ[@]} -gt 0 ]; then
  printf '%s\n' "${differ[@]}"
  echo "check-format: ${#differ[@]} of ${#files[@]} files differ from .clang-format;" \
       "apply it with: $clang_format -i <file>..." >&2
fi
[ "$status" -eq 0 ] || exit 2
[ ${#differ[@]} -eq 0 ] || exit 1
