#!/usr/bin/env bash
# The ready workflows of docs/ci/, run as plain scripts in a real git repository with the built
# program first on PATH, as GitHub's runner would run them (GITHUB_ACTIONS, a step summary
# file): each step's commands are read from the workflow file itself, so that the workflows
# and this test cannot drift apart. A level broken three ways gives three annotations on its
# cells and three rows of the summary; 100 failures give 10 annotations, a notice of the rest
# and 100 rows; the GitLab job's report holds the fields GitLab's Code Quality reads; the JSON
# lines read one by one; a pull request's review names its changed, added and removed levels
# with their pictures, and is posted once and edited after (`gh` is a stand-in that answers
# from a list of comments and records the rest). The build step runs against a stand-in of
# QorvEdit's repository (its CMakeLists copies the built program, so that the test does not
# compile it twice; scripts/ci-build.sh is the real one): an empty cache builds, and the
# filled cache builds nothing and reaches the check within 10 seconds, with the program and
# its libraries from the cache. The GitLab job prints the text report to its log, and a rules
# file that does not parse fails it with its message and no report. A changed level whose
# line ends git converted gets a warning.
# Usage: ci_workflows_test.sh <folder of the built qorvedit> <source folder>
set -euo pipefail
program_dir=$(realpath "$1")
source_dir=$(realpath "$2")
github=$source_dir/docs/ci/github-levels.yml
gitlab=$source_dir/docs/ci/gitlab-levels.yml

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/tmp"
export HOME=$work XDG_CONFIG_HOME=$work/config GIT_CONFIG_NOSYSTEM=1
export PATH="$work/bin:$program_dir:$PATH" XDG_STATE_HOME=$work/state
export GIT_AUTHOR_NAME=Tester GIT_AUTHOR_EMAIL=tester@example.org
export GIT_COMMITTER_NAME=Tester GIT_COMMITTER_EMAIL=tester@example.org
export GITHUB_ACTIONS=true GITHUB_STEP_SUMMARY=$work/summary.md RUNNER_TEMP=$work/tmp
unset GIT_DIR GIT_WORK_TREE GIT_INDEX_FILE DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

# Debian's python3 reads the workflows: setup.sh installs its yaml module (python3-yaml).
yaml_python=/usr/bin/python3

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# run_step WORKFLOW ID: runs the step of that id (GitHub) or the job of that name's script
# (GitLab, its before_script first) with bash -e, which stops at a failing command as both
# runners do; prints its exit status. Its output is in $work/out and $work/err.
run_step() {
    local commands status=0
    commands=$("$yaml_python" - "$1" "$2" <<'EOF'
import sys, yaml
flow = yaml.safe_load(open(sys.argv[1]))
if "jobs" in flow:
    print(*[s["run"] for job in flow["jobs"].values() for s in job["steps"] if s.get("id") == sys.argv[2]])
else:
    job = flow[sys.argv[2]]
    print("\n".join(job.get("before_script", []) + job["script"]))
EOF
    )
    [ -n "$commands" ] || fail "no step $2 in $1"
    bash -e -c "$commands" >"$work/out" 2>"$work/err" || status=$?
    echo "$status"
}

# set_cell FILE X Y CHARACTER: one cell of a level file.
set_cell() {
    printf '%s' "$4" | dd of="$1" bs=1 seek=$(($3 * 66 + $2)) conv=notrunc status=none
}

# The stand-in for GitHub's CLI: a list through --jq is answered from comments.json by jq,
# as gh does; every other call is recorded, with the body it would send.
cat >"$work/bin/gh" <<EOF
#!/usr/bin/env bash
if [ "\${@: -2:1}" = --jq ]; then exec jq -r "\${@: -1}" "$work/comments.json"; fi
echo "\$*" >>"$work/gh-calls"
body=\${@: -1}
cp "\${body#body=@}" "$work/posted.md"
EOF
chmod +x "$work/bin/gh"

echo "== the build step: an empty cache builds, the filled one reaches the check at once"
stand_in=$work/qorvedit-source
mkdir -p "$stand_in/scripts" "$stand_in/examples"
cp "$source_dir"/scripts/{setup.sh,ci-build.sh} "$stand_in/scripts/"
cp "$source_dir/examples/all.bmp" "$stand_in/examples/"
cat >"$stand_in/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.16)
project(qorvedit_stand_in NONE)
# Its build of qorvedit copies the program built already, and counts the builds.
set(program \${CMAKE_BINARY_DIR}/program/qorvedit)
add_custom_command(OUTPUT \${program}
    COMMAND \${CMAKE_COMMAND} -E make_directory \${CMAKE_BINARY_DIR}/program
    COMMAND \${CMAKE_COMMAND} -E copy "$program_dir/qorvedit" \${program}
    COMMAND sh -c "echo built >>'$work/builds'")
add_custom_target(qorvedit DEPENDS \${program})
install(PROGRAMS \${CMAKE_BINARY_DIR}/program/qorvedit DESTINATION bin)
install(FILES examples/all.bmp DESTINATION share/qorvedit)
CMAKE
git init -q -b main "$stand_in"
git -C "$stand_in" add .
git -C "$stand_in" commit -qm "stand-in"
git -C "$stand_in" tag v-test
export QORVEDIT_REPOSITORY=$stand_in QORVEDIT_REF=v-test GITHUB_PATH=$work/github-path
[ "$(run_step "$github" build)" = 0 ] || fail "build: $(cat "$work/out" "$work/err")"
[ "$(cat "$work/builds")" = built ] || fail "the empty cache built nothing"
[ "$(cat "$GITHUB_PATH")" = "$HOME/.qorvedit/bin" ] || fail "GITHUB_PATH: $(cat "$GITHUB_PATH")"
# Every library the program loads is in the cache but the C library's own.
outside=$(LD_LIBRARY_PATH=$HOME/.qorvedit/lib ldd "$HOME/.qorvedit/lib/qorvedit" |
    awk '$2 == "=>" && index($3, ENVIRON["HOME"] "/.qorvedit/lib/") != 1 { print $1 }' |
    grep -Ev '^(libc|libm|libdl|libpthread|librt)\.so' || true)
[ -z "$outside" ] || fail "libraries outside the cache: $outside"
start=$(date +%s%N)
[ "$(run_step "$github" build)" = 0 ] || fail "build from the cache: $(cat "$work/out" "$work/err")"
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
[ "$(cat "$work/builds")" = built ] || fail "the filled cache built again"
[ "$elapsed_ms" -lt 10000 ] || fail "the filled cache took $elapsed_ms ms to reach the check"
echo "   the filled cache reached the check in $elapsed_ms ms"
export PATH="$HOME/.qorvedit/bin:$PATH" # every check below runs the program from the cache

echo "== a pull request in a real repository: levels changed, added, removed, one broken"
git init -q --bare -b main "$work/origin.git"
git clone -q "$work/origin.git" "$work/repo" 2>/dev/null
cd "$work/repo"
mkdir levels
cp "$source_dir"/examples/{maze.qre,rooms.qre,caverns.qre,qorvedit-rules.toml,all.bmp} levels/
git add levels
git commit -qm "levels"
git push -q origin main
git checkout -qb change
set_cell levels/maze.qre 3 1 2
cp levels/rooms.qre levels/added.qre
git rm -q levels/caverns.qre
cp levels/maze.qre levels/broken.qre
set_cell levels/broken.qre 10 0 0 # a border cell of floor
set_cell levels/broken.qre 2 1 5  # a tile the palette does not hold
set_cell levels/broken.qre 20 2 A # a second start
git add levels
git commit -qm "level changes"

echo "== GitHub: three annotations on the cells, three rows of the summary"
[ "$(run_step "$github" check)" = 1 ] || fail "check passed: $(cat "$work/out")"
expected="::error file=levels/broken.qre,line=1,col=11,title=qorvedit walled::
::error file=levels/broken.qre,line=2,col=3,title=qorvedit palette::
::error file=levels/broken.qre,line=3,col=21,title=qorvedit one-start::"
[ "$(sed -E 's/^(::error [^:]*::).*/\1/' "$work/out")" = "$expected" ] ||
    fail "annotations: $(cat "$work/out")"
for row in "1 | 11 | walled" "2 | 3 | palette" "3 | 21 | one-start"; do
    grep -qF "| levels/broken.qre | $row |" "$GITHUB_STEP_SUMMARY" ||
        fail "no row $row in the summary: $(cat "$GITHUB_STEP_SUMMARY")"
done
[ "$(grep -c '^| levels/' "$GITHUB_STEP_SUMMARY")" = 3 ] || fail "summary: $(cat "$GITHUB_STEP_SUMMARY")"

echo "== GitLab: the Code Quality report, uploaded however the job ends"
[ "$(run_step "$gitlab" qorvedit-levels)" = 1 ] || fail "the job passed"
grep -q "^levels/broken.qre:1:11: " "$work/out" || fail "no text report in the log: $(cat "$work/out")"
python3 - gl-code-quality-report.json <<'EOF' || fail "report: $(cat gl-code-quality-report.json)"
import json, sys
issues = json.load(open(sys.argv[1]))
assert isinstance(issues, list) and len(issues) == 3, issues
for issue in issues:
    assert all(isinstance(issue[key], str) and issue[key] for key in ("description", "check_name", "fingerprint")), issue
    assert issue["severity"] in ("info", "minor", "major", "critical", "blocker"), issue
    assert issue["location"]["path"] == "levels/broken.qre", issue
    assert isinstance(issue["location"]["lines"]["begin"], int), issue
assert len({issue["fingerprint"] for issue in issues}) == 3, issues
EOF
"$yaml_python" - "$gitlab" <<'EOF' || fail "the GitLab job hides its report when it fails"
import sys, yaml
artifacts = yaml.safe_load(open(sys.argv[1]))["qorvedit-levels"]["artifacts"]
assert artifacts["when"] == "always"
assert artifacts["reports"]["codequality"] == "gl-code-quality-report.json"
EOF
rm gl-code-quality-report.json
cp levels/qorvedit-rules.toml "$work/rules.toml"
printf 'walls = [\n' >levels/qorvedit-rules.toml
[ "$(run_step "$gitlab" qorvedit-levels)" = 2 ] || fail "a rules file that does not parse passed"
grep -q "^qorvedit: .*/levels/qorvedit-rules.toml:1: " "$work/err" || fail "no message: $(cat "$work/err")"
[ ! -e gl-code-quality-report.json ] || fail "a report was written: $(cat gl-code-quality-report.json)"
cp "$work/rules.toml" levels/qorvedit-rules.toml
rm -rf .qorvedit

echo "== JSON lines, each read by python3 -m json.tool"
qorvedit --check --format json levels/*.qre >"$work/lines" && fail "--format json passed"
[ "$(wc -l <"$work/lines")" = 3 ] || fail "JSON lines: $(cat "$work/lines")"
while IFS= read -r line; do
    python3 -m json.tool <<<"$line" >/dev/null || fail "not JSON: $line"
done <"$work/lines"

echo "== GitHub: 100 failures as 10 annotations, a notice of 90 more and 100 rows"
mkdir -p "$work/many/levels"
for i in {1..100}; do
    cp levels/maze.qre "$work/many/levels/level-$i.qre"
    set_cell "$work/many/levels/level-$i.qre" 2 1 5
done
cp levels/qorvedit-rules.toml "$work/many/levels/"
: >"$GITHUB_STEP_SUMMARY"
status=$(cd "$work/many" && run_step "$github" check)
[ "$status" = 1 ] || fail "check of 100 failures: status $status"
[ "$(grep -c '^::error ' "$work/out")" = 10 ] || fail "annotations: $(cat "$work/out")"
grep -q '^::notice .*::90 more failures are' "$work/out" || fail "no notice: $(cat "$work/out")"
[ "$(grep -c '^| levels/level-' "$GITHUB_STEP_SUMMARY")" = 100 ] || fail "summary rows"

echo "== GitHub, pull request: a review of the changes from a worktree of the base"
export GH_TOKEN=unused COMMENTS=repos/team/game/issues/7/comments ARTIFACTS=https://example.org/run
git worktree add -q --detach base main # as the workflow's second checkout
[ "$(run_step "$github" review)" = 0 ] || fail "review: $(cat "$work/out")"
[ -f review/review.md ] || fail "no review.md: $(ls review)"
for name in maze added broken caverns; do
    grep -q "$name" review/review.md || fail "review.md does not name $name: $(cat review/review.md)"
done
for picture in before after changes; do
    compgen -G "review/maze*.$picture.png" >/dev/null || fail "no $picture picture: $(ls review)"
done

echo "== GitHub, pull request: the review posted as one comment, then edited"
echo '[]' >"$work/comments.json"
[ "$(run_step "$github" post)" = 0 ] || fail "post: $(cat "$work/out")"
[ "$(cat "$work/gh-calls")" = "api --method POST $COMMENTS -F body=@$RUNNER_TEMP/comment.md" ] ||
    fail "gh: $(cat "$work/gh-calls")"
[ "$(head -n 1 "$work/posted.md")" = "<!-- qorvedit-review -->" ] &&
    sed -n "2,$(($(wc -l <review/review.md) + 1))p" "$work/posted.md" | cmp -s - review/review.md &&
    grep -qF "]($ARTIFACTS)." "$work/posted.md" || fail "posted: $(cat "$work/posted.md")"
cat >"$work/comments.json" <<'EOF'
[{"id": 5, "user": {"login": "someone"}, "body": "<!-- qorvedit-review --> copied"},
 {"id": 6, "user": {"login": "github-actions[bot]"}, "body": "<!-- qorvedit-review -->\nold"}]
EOF
: >"$work/gh-calls"
[ "$(run_step "$github" post)" = 0 ] || fail "post again: $(cat "$work/out")"
[ "$(cat "$work/gh-calls")" = "api --method PATCH repos/team/game/issues/comments/6 -F body=@$RUNNER_TEMP/comment.md" ] ||
    fail "gh: $(cat "$work/gh-calls")"

echo "== GitHub, pull request: a warning for each changed level whose line ends were converted"
tr -d '\r' <levels/rooms.qre >levels/converted.qre
tr -d '\r' <levels/rooms.qre >base/levels/rooms.qre # converted, but unchanged by the request
cp base/levels/rooms.qre levels/rooms.qre
[ "$(run_step "$github" line-endings)" = 0 ] || fail "line-endings: $(cat "$work/out" "$work/err")"
[ "$(grep -c '^::warning ' "$work/out")" = 1 ] &&
    grep -q '^::warning file=levels/converted.qre,title=line endings converted::' "$work/out" ||
    fail "warnings: $(cat "$work/out")"
echo "PASS"
