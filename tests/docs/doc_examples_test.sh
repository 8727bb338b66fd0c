#!/usr/bin/env bash
# The user's documents stay true: every command example in README.md and
# docs/command-line.md (a line `$ qorvedit ...` in a fenced block, followed by its output) is
# read from the document itself and run with the built program first on PATH, in a private
# folder holding the files the examples name. Its standard output and error together must be
# the lines shown. A comment on the example that says `exit status N`, or a following
# `$ echo $?`, states its exit status too. Examples of other programs (`$ git diff`, `$ git merge`) are
# listed: tests/git/git_levels_test.sh checks what they show in a repository. Each figure the README's Performance
# section quotes must appear in docs/performance.md.
# Usage: doc_examples_test.sh <folder of the built qorvedit> <source folder>
set -euo pipefail
program_dir=$(realpath "$1")
source_dir=$(realpath "$2")
documents=(README.md docs/command-line.md)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PATH="$program_dir:$PATH" XDG_STATE_HOME=$work/state
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

failures=()

# set_cell FILE X Y CHARACTER: one cell of a level file.
set_cell() {
    printf '%s' "$4" | dd of="$1" bs=1 seek=$(($3 * 66 + $2)) conv=notrunc status=none
}

# prepare FOLDER: the files the examples name, made from the sample levels.
prepare() {
    mkdir -p "$1/levels" "$1/art" "$1/pictures"
    cd "$1"
    cp "$source_dir"/examples/*.qre "$source_dir"/examples/all.bmp levels/
    cp levels/maze.qre levels/all.bmp .
    cp all.bmp art/tiles.bmp
    head -c 1000 maze.qre >levels/broken.qre
    ln -s gone levels/gone.qre # a level whose file was removed: the name is still listed
    cp maze.qre maze-new.qre
    set_cell maze-new.qre 12 3 A
    set_cell maze-new.qre 13 3 A
    cp maze.qre base.qre
    cp maze-new.qre ours.qre
    cp maze.qre theirs.qre
    set_cell theirs.qre 12 3 C
    { # git's line merge of two changes of row 3 (the file's fourth line)
        head -n 3 maze.qre
        printf '<<<<<<< HEAD\r\n'
        sed -n 4p ours.qre
        printf '=======\r\n'
        sed -n 4p theirs.qre
        printf '>>>>>>> other\r\n'
        tail -n +5 maze.qre
    } >conflicted.qre
    mkdir -p old new review # a change to a folder of levels: maze changed, rooms renamed
    cp "$source_dir"/examples/*.qre old/
    cp old/caverns.qre maze-new.qre new/
    mv new/maze-new.qre new/maze.qre
    cp old/rooms.qre new/towers.qre
    qorvedit --export maze.qre holes.tmx
    sed -i '0,/^2,2,2,/s//0,0,0,/' holes.tmx # three empty cells (gid 0) in the top row
}

# check: runs the example gathered so far, if any, and records a difference. `$?` in an
# example is the status of the one before, as in a terminal.
check() {
    [ -n "$command" ] || return 0
    local output status=0
    output=$(bash -c "(exit $previous_status); $command" 2>&1) || status=$?
    if [ "$output" != "$expected" ] || { [ -n "$expected_status" ] && [ "$status" != "$expected_status" ]; }; then
        failures+=("$where: \$ $command")
        printf 'FAIL %s: $ %s\n--- expected (status %s)\n%s\n--- got (status %s)\n%s\n' \
            "$where" "$command" "${expected_status:-any}" "$expected" "$status" "$output" >&2
    fi
    [ "$command" = 'echo $?' ] || previous_status=$status
    ran=$((ran + 1))
    command=''
}

# run_document DOCUMENT: every example of the document, in order, in a fresh folder.
run_document() {
    local line number=0 in_block=0
    command='' expected='' expected_status='' ran=0 previous_status=0
    prepare "$work/${1//\//-}"
    while IFS= read -r line || [ -n "$line" ]; do
        number=$((number + 1))
        if [[ $line == '```'* ]]; then
            check
            in_block=$((!in_block))
        elif ((in_block)) && [[ $line == '$ '* ]]; then
            check
            if [[ $line == '$ qorvedit '* || $line == '$ echo $?' ]]; then
                command=${line#'$ '} expected='' where=$1:$number expected_status=''
                [[ $line =~ \#.*exit\ status\ ([0-9]+) ]] && expected_status=${BASH_REMATCH[1]}
            else
                echo "not run here (tests/git/git_levels_test.sh runs git): $1:$number: $line"
            fi
        elif ((in_block)) && [ -n "$command" ]; then
            expected+=${expected:+$'\n'}$line
        fi
    done <"$source_dir/$1"
    check
    echo "$1: $ran examples run"
    ((ran > 0)) || failures+=("$1: no examples found")
}

for document in "${documents[@]}"; do
    run_document "$document"
done

# The README's Performance section: each figure it quotes (a number with a decimal point)
# is one of docs/performance.md.
figures=$(awk '/^## / { section = /^## Performance/ } section' "$source_dir/README.md" |
    { grep -oE '[0-9]+\.[0-9]+' || true; } | sort -u)
[ -n "$figures" ] || failures+=("README.md: no figures in the Performance section")
for figure in $figures; do
    grep -qF "$figure" "$source_dir/docs/performance.md" ||
        failures+=("README.md: performance figure $figure is not in docs/performance.md")
done

if ((${#failures[@]})); then
    printf 'FAIL: %s\n' "${failures[@]}" >&2
    exit 1
fi
echo "every example and figure holds"
