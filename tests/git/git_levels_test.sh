#!/usr/bin/env bash
# Levels in a real git repository, set up with the README's own lines word for word and the
# built program first on PATH: git diff shows the changed cells, a merge of different cells
# of one row succeeds with both, a merge of two changes of one cell leaves the level in conflict
# (driver, diff3 style, and git's own markers in a clone without the driver) until --resolve,
# two levels added on both sides (no common ancestor) conflict where they differ, and a level
# in history that cannot be read is one line of the log, which goes on. In a `* text=auto`
# repository a level checked out through git's text conversion is named for it; set up with
# --git-setup, a level comes back byte for byte and a second clone (through a bare repository
# standing for the host) merges one row's changes. --git-setup is idempotent, and --global
# sets the user's git up. The user's own git configuration is never read.
# Usage: git_levels_test.sh <folder of the built qorvedit> <README.md>
set -euo pipefail
program_dir=$1
readme=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config GIT_CONFIG_NOSYSTEM=1 PATH="$program_dir:$PATH"
export GIT_AUTHOR_NAME=Tester GIT_AUTHOR_EMAIL=tester@example.org
export GIT_COMMITTER_NAME=Tester GIT_COMMITTER_EMAIL=tester@example.org
unset GIT_DIR GIT_WORK_TREE GIT_INDEX_FILE

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The lines of the first code block after the heading "Levels in git".
setup=$(awk '/^#+ Levels in git/ { section = 1 }
             section && /^```/ { if (block) exit; block = 1; next }
             block' "$readme")
[ -n "$setup" ] || fail "no set-up lines under \"Levels in git\" in $readme"

# set_cell FILE X Y BYTE: one cell of a level file (BYTE as a printf format).
set_cell() {
    # shellcheck disable=SC2059
    printf "$4" | dd of="$1" bs=1 seek=$(($3 * 66 + $2)) conv=notrunc status=none
}

# new_level FILE: walls around floor, with tile 255 (byte 0x00) at 5,3: a file git alone
# would take for binary.
new_level() {
    {
        printf '1%.0s' {1..64}
        printf '\r\n'
        for _ in {1..43}; do printf '1%s1\r\n' "$(printf '0%.0s' {1..62})"; done
        printf '1%.0s' {1..64}
        printf '\r\n'
    } >"$1"
    set_cell "$1" 5 3 '\000'
}

# text_level FILE: walls around floor, with no byte that makes git take it for binary.
text_level() {
    new_level "$1"
    set_cell "$1" 5 3 0
}

commit_cell() { # commit_cell X Y BYTE: change maze.qre and commit it
    set_cell maze.qre "$1" "$2" "$3"
    git commit -qam "cell $1,$2"
}

git init -q -b main "$work/repo"
cd "$work/repo"
eval "$setup"
new_level maze.qre
cp maze.qre "$work/base.qre"
git add .
git commit -qm "a level"

echo "== git diff shows the changed cells"
set_cell maze.qre 7 2 A
shown=$(git diff)
! grep -q "Binary files" <<<"$shown" || fail "git diff: $shown"
[ "$(grep '^[-+][0-9]' <<<"$shown")" = $'-7,2: 0\n+7,2: 10' ] || fail "git diff: $shown"
git checkout -q maze.qre

echo "== a merge of different cells of one row keeps both"
git checkout -qb left
commit_cell 3 2 B
git checkout -q main
commit_cell 9 2 C
git merge -q --no-edit left || fail "the merge stopped"
merged=$(qorvedit --diff "$work/base.qre" maze.qre || echo "status $?")
[ "$merged" = $'3,2: 0 -> 11\n9,2: 0 -> 12\nstatus 1' ] || fail "merged: $merged"

# conflict_branches: from main, branch "one" changes cell 20,10 to D and 5,20 to F; main
# changes 20,10 to E, 40,10 (the same row) to G and 7,30 to H.
conflict_branches() {
    git checkout -qb one
    set_cell maze.qre 20 10 D
    commit_cell 5 20 F
    git checkout -q main
    set_cell maze.qre 20 10 E
    set_cell maze.qre 40 10 G
    commit_cell 7 30 H
}

# expect_conflicted WHAT: maze.qre is unmerged, git diff shows its conflict, and --check
# names the conflicting cell at OURS's copy of it (line 12: row 10 under the marker).
expect_conflicted() {
    git status --porcelain | grep -qx "UU maze.qre" || fail "$1: not unmerged: $(git status)"
    # With the driver's textconv the conflict's line, without it the marked rows.
    git diff | grep -q -e "^++20,10: conflict: ours 14, theirs 13$" -e "^++<<<<<<< HEAD" ||
        fail "$1: git diff: $(git diff)"
    checked=$(qorvedit --check maze.qre) && fail "$1: --check passed"
    grep -qx "maze.qre:12:21: unresolved conflict: ours 14, theirs 13" <<<"$checked" ||
        fail "$1: --check said: $checked"
    checked=$(qorvedit --check --format github maze.qre) && fail "$1: --check passed"
    grep -q "^::error file=maze.qre,line=12,col=21.*unresolved conflict: ours 14, theirs 13" \
        <<<"$checked" || fail "$1: --check --format github said: $checked"
}

# expect_resolved WHAT: --resolve theirs, git add: the level an independent script makes, with
# THEIRS's tile in the conflicting cell and every other change of both sides.
expect_resolved() {
    qorvedit --resolve theirs maze.qre || fail "$1: --resolve failed"
    git add maze.qre
    cp "$work/base.qre" "$work/expected.qre"
    for cell in "20 10 D" "5 20 F" "40 10 G" "7 30 H"; do
        # shellcheck disable=SC2086
        set_cell "$work/expected.qre" $cell
    done
    cmp maze.qre "$work/expected.qre" || fail "$1: resolved: $(qorvedit --diff "$work/expected.qre" maze.qre)"
    git status --porcelain | grep -q "^UU" && fail "$1: still unmerged"
    git merge --abort
}

echo "== a merge of two changes of one cell leaves the level conflicted"
git checkout -q -b before-conflicts
git checkout -q main
cp maze.qre "$work/base.qre"
conflict_branches
if said=$(git merge --no-edit one 2>&1); then fail "the merge went through: $said"; fi
grep -q "CONFLICT (content): Merge conflict in maze.qre" <<<"$said" || fail "git said: $said"
grep -qx "maze.qre:12:21: conflict: base 0, ours 14, theirs 13" <<<"$said" || fail "git said: $said"
grep -q "^||||||| base" maze.qre && fail "a base without diff3"
expect_conflicted "driver"
expect_resolved "driver"

echo "== the same under merge.conflictStyle diff3: the base's rows too"
git config merge.conflictStyle diff3
git merge --no-edit one >/dev/null 2>&1 && fail "the merge went through"
grep -q "^||||||| base" maze.qre || fail "no base in: $(cat -A maze.qre | head -20)"
expect_conflicted "diff3"
expect_resolved "diff3"

echo "== a clone without the driver: git's own markers read alike"
git clone -q "$work/repo" "$work/plain"
(
    cd "$work/plain"
    # git's line merge refuses a file with a 0x00 byte (tile 255) as binary: this clone's
    # level has none, and the clone merges levels as text.
    printf '*.qre merge\n' >.git/info/attributes
    # Rows all different, so that git's diff pairs the base's rows with the sides' one to one
    # (it pairs alike rows as it likes, and then the base tells nothing).
    git checkout -q -B main origin/before-conflicts
    set_cell maze.qre 5 3 0
    for y in {1..43}; do set_cell maze.qre 62 "$y" "$(printf '\\%03o' $((65 + y % 26)))"; done
    git commit -qam "no tile 255"
    cp maze.qre "$work/base.qre"
    conflict_branches
    git config merge.conflictStyle diff3
    said=$(git merge --no-edit one 2>&1) && fail "the merge went through: $said"
    grep -q "^<<<<<<< HEAD" maze.qre || fail "no git markers: $said"
    expect_conflicted "git's markers, diff3"
    expect_resolved "git's markers, diff3"
    # Without the base every cell the conflicting rows differ in is a conflict.
    git config merge.conflictStyle merge
    git merge --no-edit one >/dev/null 2>&1 && fail "the merge went through"
    expect_conflicted "git's markers"
    checked=$(qorvedit --check maze.qre) && fail "git's markers: --check passed"
    grep -qx "maze.qre:12:41: unresolved conflict: ours 16, theirs 0" <<<"$checked" ||
        fail "git's markers: $checked"
    git merge --abort
)
git config --unset merge.conflictStyle

echo "== a conflicted level damaged beyond its markers is refused with its place"
printf '1%.0s' {1..64} >damaged.qre
printf '\r\n<<<<<<< ours\r\n11\r\n=======\r\n' >>damaged.qre
[ "$(qorvedit --check damaged.qre)" = "damaged.qre:2: merge conflict without its end" ] ||
    fail "damaged: $(qorvedit --check damaged.qre)"
rm damaged.qre
git checkout -q main

echo "== two levels added on both sides conflict where they differ"
git checkout -qb added
new_level new.qre
set_cell new.qre 1 1 F
git add new.qre
git commit -qm "a new level"
git checkout -q main
new_level new.qre
set_cell new.qre 1 1 G
git add new.qre
git commit -qm "another new level"
if said=$(git merge --no-edit added 2>&1); then fail "the merge went through: $said"; fi
grep -qx "new.qre:3:2: conflict: base none, ours 16, theirs 15" <<<"$said" || fail "git said: $said"
[ "$(qorvedit --check new.qre)" = "new.qre:3:2: unresolved conflict: ours 16, theirs 15" ] ||
    fail "--check said: $(qorvedit --check new.qre)"
said=$(qorvedit --resolve base new.qre 2>&1) && fail "--resolve base without one: $said"
grep -q "hold no base" <<<"$said" || fail "--resolve base: $said"
git merge --abort

echo "== git log -p shows every commit over a level that cannot be read"
printf '11\r\n' >broken.qre
git add broken.qre
git commit -qm "a broken level"
commit_cell 30 20 H
shown=$(git log -p) || fail "git log -p stopped: $shown"
for subject in "a level" "a broken level" "cell 30,20"; do
    grep -qx "    $subject" <<<"$shown" || fail "no commit \"$subject\" in: $shown"
done
grep -q '^+.*broken\.qre: Read beyond end of file$' <<<"$shown" || fail "git log -p: $shown"

echo "== without the set-up, git's text conversion is named by --check"
git init -q -b main "$work/auto"
cd "$work/auto"
printf '* text=auto\n' >.gitattributes
text_level maze.qre
cp maze.qre "$work/text.qre"
git -c core.safecrlf=false add .
git commit -qm "a text level"
rm maze.qre
git checkout -q maze.qre
if said=$(qorvedit --check maze.qre); then fail "--check passed a converted level"; fi
[ "$said" = "maze.qre:1:65: line endings were converted (LF instead of CR LF), as git's text \
conversion does: see README, Levels in git" ] || fail "--check said: $said"

echo "== set up first, a level comes back byte for byte and a second clone merges one row"
git init -q --bare -b main "$work/host.git"
git init -q -b main "$work/first"
cd "$work/first"
printf '* text=auto\n' >.gitattributes
qorvedit --git-setup >/dev/null
said=$(qorvedit --git-setup) || fail "--git-setup again: $said"
grep -q "has the lines already" <<<"$said" || fail "--git-setup again: $said"
[ "$(grep -c qorvedit .gitattributes)" = 2 ] || fail ".gitattributes: $(cat .gitattributes)"
text_level maze.qre
git add .
git commit -qm "a text level"
rm maze.qre
git checkout -q maze.qre
cmp -s maze.qre "$work/text.qre" || fail "the level changed on its way through git"
git push -q "$work/host.git" main
git clone -q "$work/host.git" "$work/second" 2>/dev/null
cd "$work/second"
qorvedit --git-setup >/dev/null
cmp -s maze.qre "$work/text.qre" || fail "the clone's level differs"
git checkout -qb left
commit_cell 3 2 B
cd "$work/first"
commit_cell 9 2 C
git push -q "$work/host.git" main
cd "$work/second"
git pull -q --no-rebase --no-edit origin main || fail "the merge in the second clone stopped"
merged=$(qorvedit --diff "$work/text.qre" maze.qre || echo "status $?")
[ "$merged" = $'3,2: 0 -> 11\n9,2: 0 -> 12\nstatus 1' ] || fail "merged: $merged"

echo "== --git-setup outside a clone says so; --global sets the user's git up"
mkdir "$work/nowhere"
cd "$work/nowhere"
if said=$(qorvedit --git-setup 2>&1); then fail "--git-setup outside a clone: $said"; fi
grep -q "^qorvedit: not in a git clone (.*): run it in the clone, or give --global$" \
    <<<"$said" || fail "--git-setup outside a clone: $said"
qorvedit --git-setup --global >/dev/null
[ "$(git config --global merge.qorvedit.driver)" = "qorvedit --merge %O %A %B -o %A --path %P" ] ||
    fail "no merge driver in the user's configuration"
git init -q plain
[ "$(git -C plain check-attr text merge -- a.qre)" = $'a.qre: text: unset\na.qre: merge: qorvedit' ] ||
    fail "the user's attributes: $(cat "$XDG_CONFIG_HOME/git/attributes")"
echo "PASS"
