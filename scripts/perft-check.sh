#!/usr/bin/env bash
# The published move-generation counts from the starting position, reproduced by a checkers-cli
# (for a cross build, under its emulator): English to depth 8, Russian to depth 7. Prints each
# run's output; exits non-zero at the first count that differs.
#
#   perft-check.sh [EMULATOR...] CHECKERS_CLI
set -euo pipefail

declare -A PUBLISHED=(
    [english]="7 49 302 1469 7361 36768 179740 845931"
    [russian]="7 49 302 1469 7482 37986 190146"
)

status=0
for rules in english russian; do
    read -ra counts <<<"${PUBLISHED[$rules]}"
    expected=$(for i in "${!counts[@]}"; do echo "perft $((i + 1)) ${counts[$i]}"; done)
    echo "\$ $* perft --rules $rules --depth ${#counts[@]}"
    if ! got=$("$@" perft --rules "$rules" --depth "${#counts[@]}"); then
        echo "$got"
        echo "perft $rules: checkers-cli failed" >&2
        status=1
        continue
    fi
    echo "$got"
    if [ "$got" != "$expected" ]; then
        echo "perft $rules: the counts differ from the published ones:" >&2
        diff <(echo "$expected") <(echo "$got") >&2 || true
        status=1
    fi
done
[ "$status" -eq 0 ] && echo "perft: English depth 8 and Russian depth 7 match the published counts"
exit "$status"
