#!/usr/bin/env bash
# Levels in a real git repository, set up with the README's own lines word for word and the
# built program first on PATH: git diff shows the changed cells, a merge of different cells
# of one row succeeds with both, a merge of two changes of one cell stops with the conflict
# named and a valid level in the work tree, and two levels added on both sides (no common
# ancestor) conflict where they differ, and a level in history that cannot be read is one line
# of the log, which goes on. In a `* text=auto` repository a level checked out through git's
# text conversion is named for it; set up with --git-setup, a level comes back byte for byte
# and a second clone (through a bare repository standing for the host) merges one row's
# changes. --git-setup is idempotent, and --global sets the user's git up. The user's own git
# configuration is never read.
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

echo "== a merge of two changes of one cell stops with the conflict named"
git checkout -qb one
commit_cell 20 10 D
git checkout -q main
commit_cell 20 10 E
if said=$(git merge --no-edit one 2>&1); then fail "the merge went through: $said"; fi
grep -q "CONFLICT (content): Merge conflict in maze.qre" <<<"$said" || fail "git said: $said"
grep -qx "20,10: base 0, ours 14, theirs 13" <<<"$said" || fail "git said: $said"
qorvedit --check maze.qre || fail "the work tree holds no valid level"
git merge --abort

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
grep -qx "1,1: base none, ours 16, theirs 15" <<<"$said" || fail "git said: $said"
qorvedit --check new.qre || fail "the work tree holds no valid level"
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
[ "$(git config --global merge.qorvedit.driver)" = "qorvedit --merge %O %A %B -o %A" ] ||
    fail "no merge driver in the user's configuration"
git init -q plain
[ "$(git -C plain check-attr text merge -- a.qre)" = $'a.qre: text: unset\na.qre: merge: qorvedit' ] ||
    fail "the user's attributes: $(cat "$XDG_CONFIG_HOME/git/attributes")"
echo "PASS"
