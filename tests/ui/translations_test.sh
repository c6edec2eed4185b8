#!/usr/bin/env bash
# Every text a person reads has its Russian translation: lupdate gathers the texts of the
# sources into a copy of the translation file, which must come out unchanged, with no text left
# untranslated.
#
#   translations_test.sh LUPDATE SOURCE_DIR WORK_DIR
set -eu

LUPDATE=$1
SOURCE=$2
WORK=$3

mkdir -p "$WORK"
cp "$SOURCE/ui/checkers_ru.ts" "$WORK/checkers_ru.ts"
(cd "$SOURCE" && "$LUPDATE" -silent -no-obsolete -locations none -target-language ru_RU \
    ui device main.cpp -ts "$WORK/checkers_ru.ts")

status=0
if ! cmp -s "$SOURCE/ui/checkers_ru.ts" "$WORK/checkers_ru.ts"; then
    echo "ui/checkers_ru.ts is not up to date with the sources' texts:" >&2
    diff "$SOURCE/ui/checkers_ru.ts" "$WORK/checkers_ru.ts" >&2 || true
    status=1
fi
if grep -q 'type="unfinished"' "$WORK/checkers_ru.ts"; then
    echo "texts without a translation:" >&2
    grep -B1 'type="unfinished"' "$WORK/checkers_ru.ts" | grep '<source>' >&2
    status=1
fi
exit $status
