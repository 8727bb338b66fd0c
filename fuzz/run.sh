#!/usr/bin/env bash
# Runs one fuzz target for a given time on its committed seed corpus.
#   fuzz/run.sh level_reader 1800
#   fuzz/run.sh bmp_check 1800
#   fuzz/run.sh map_import 1800
# Builds the target first when it is missing (fuzz/build.sh). New inputs go into the
# scratch folder build/fuzz/corpus-<target>/ and crashes into build/fuzz/crashes-<target>/;
# the committed corpus in fuzz/corpus/ is only read. One job in one worker process, so
# that the machine keeps a core free; the worker's output, with the executions and the
# final statistics, goes to build/fuzz/log-<target>/fuzz-0.log. Extra libFuzzer options
# may follow the seconds.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT="$ROOT/build/fuzz"

if [ $# -lt 2 ]; then
    echo "usage: $0 <level_reader|bmp_check|map_import> <seconds> [libFuzzer options...]" >&2
    exit 2
fi
target=$1
seconds=$2
shift 2

case "$target" in
level_reader) seeds="$ROOT/fuzz/corpus/level"; limits=(-rss_limit_mb=2048 -max_len=8192) ;;
bmp_check) seeds="$ROOT/fuzz/corpus/bmp"; limits=(-rss_limit_mb=2048 -max_len=65536) ;;
map_import) seeds="$ROOT/fuzz/corpus/map"; limits=(-rss_limit_mb=2048 -max_len=65536) ;;
*) echo "unknown target: $target (level_reader, bmp_check or map_import)" >&2; exit 2 ;;
esac

[ -x "$OUT/$target" ] || "$ROOT/fuzz/build.sh" "$target"
scratch="$OUT/corpus-$target"
crashes="$OUT/crashes-$target"
logs="$OUT/log-$target"
mkdir -p "$scratch" "$crashes" "$logs"
cd "$logs" # libFuzzer writes the job's log into the working directory

# The scratch folder comes first: libFuzzer writes new inputs into its first folder.
exec "$OUT/$target" "$scratch" "$seeds" -max_total_time="$seconds" -workers=1 -jobs=1 \
    -artifact_prefix="$crashes/" -print_final_stats=1 "${limits[@]}" "$@"
