#!/usr/bin/env bash
# Lints the man pages given: groff -man -ww -z, or mandoc -Tlint, must say nothing.
# Exits 77 (the test is skipped) when neither is installed.
set -u
if command -v groff >/dev/null 2>&1; then
  lint=(groff -man -ww -z)
elif command -v mandoc >/dev/null 2>&1; then
  lint=(mandoc -Tlint)
else
  echo "neither groff nor mandoc is installed: the man pages are not checked"
  exit 77
fi
status=0
for page in "$@"; do
  said=$("${lint[@]}" "$page" 2>&1) || status=1
  if [ -n "$said" ]; then
    echo "$page:"
    echo "$said"
    status=1
  fi
done
[ "$status" = 0 ] && echo "${lint[0]}: $# man pages without a warning"
exit $status
