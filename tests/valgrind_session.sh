#!/usr/bin/env bash
# A valgrind memcheck of the editor's main flows: the window tests of mouse editing, the
# tools window and the level browser, run on a plain Debug build (no sanitizers), plus
# the hostile tile sheets and the fuzz corpus replay. Any error that is not known noise
# of Qt, fontconfig or the system libraries (tests/valgrind.supp) fails the run.
# Too slow for ./test (a few minutes); run it by hand:
#   tests/valgrind_session.sh            builds into build/valgrind and runs
#   BUILD=build/h4rel tests/valgrind_session.sh   uses an existing non-sanitized build
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$ROOT/build/valgrind}

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQORV_SANITIZE=OFF \
    -DQORV_BENCH=OFF >/dev/null
cmake --build "$BUILD" --target qorv_ui_tests qorv_render_tests qorv_fuzz_replay_tests -j2

export QT_QPA_PLATFORM=offscreen
memcheck() {
    echo "== valgrind $*"
    "$ROOT/tests/gtest_must_run.sh" valgrind --error-exitcode=1 --num-callers=30 --suppressions="$ROOT/tests/valgrind.supp" \
        --track-origins=yes "$@"
}
memcheck "$BUILD/tests/qorv_ui_tests" --gtest_filter='MouseEditing*:SelectionDrag*:ToolsWindow*:Browser*:HostileBrowser*'
memcheck "$BUILD/tests/qorv_render_tests" --gtest_filter='Hostile*:TileSheet*'
memcheck "$BUILD/tests/qorv_fuzz_replay_tests"
echo "valgrind session: no error"
