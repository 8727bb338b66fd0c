#!/usr/bin/env bash
# The manual page and the bash completion the build made from the table of modes: groff
# renders the page without a warning and it names every option --help names; bash completes
# exactly those options, and each option's values as its kind says. --version names the
# commit of the source folder when it is a git checkout, and none when it is not.
#   command_docs_test.sh QORVEDIT qorvedit.1 qorvedit.bash SOURCE
set -euo pipefail
qorvedit=${1:?usage: command_docs_test.sh QORVEDIT MANPAGE COMPLETION}
page=${2:?}
completion=${3:?}
source=${4:?}
status=0
fail() {
    echo "$1" >&2
    status=1
}

options=$("$qorvedit" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u)
[ "$(wc -l <<<"$options")" -ge 20 ] || fail "--help names too few options: $options"

warnings=$(groff -man -Tascii -ww -z "$page" 2>&1)
[ -z "$warnings" ] || fail "groff warns about $page: $warnings"
rendered=$(MANWIDTH=200 man -l "$page" 2>/dev/null | col -b)
for option in $options; do
    grep -qe "$option" <<<"$rendered" || fail "the manual page does not name $option"
done

# What bash offers for the words typed so far, the last being the one completed.
complete_words() {
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _qorvedit
             printf "%s\n" "${COMPREPLY[@]}"' completion "$completion" "$@" | sort -u
}
[ "$(complete_words qorvedit --)" = "$options" ] ||
    fail "completion offers other options than --help: $(complete_words qorvedit --)"
[ "$(complete_words qorvedit --ch)" = "--check" ] || fail "--ch does not complete to --check"
[ "$(complete_words qorvedit --stats . --format '')" = "$(printf '%s\n' csv github gitlab json text)" ] ||
    fail "--format completes $(complete_words qorvedit --stats . --format '')"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/pics" && touch "$work/pic.png"
[ "$(complete_words qorvedit --out-dir "$work/pi")" = "$work/pics" ] ||
    fail "--out-dir completes $(complete_words qorvedit --out-dir "$work/pi")"
[ "$(complete_words qorvedit --scale '')" = "" ] || fail "--scale completes words"
[ "$(complete_words qorvedit "$work/pic.")" = "$work/pic.png" ] || fail "a LEVEL does not complete"
if commit=$(git -C "$source" describe --always --abbrev=12 2>/dev/null) &&
    [ "$(git -C "$source" rev-parse --show-toplevel)" -ef "$source" ]; then
    expected="QorvEdit 1.0 (commit $commit)"
else
    expected="QorvEdit 1.0"
fi
[ "$("$qorvedit" --version)" = "$expected" ] ||
    fail "--version says $("$qorvedit" --version), not $expected"
exit $status
