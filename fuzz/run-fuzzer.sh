#!/bin/sh
# run-fuzzer.sh FUZZER SEED_DIR SECONDS [DICT]: a short fuzz run over a copy of the seeds.
set -e
fuzzer=$1 seeds=$2 seconds=$3 dict=${4:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus"
[ -d "$seeds" ] && cp -r "$seeds"/. "$work/corpus/" 2>/dev/null || true
cd "$work"
exec "$fuzzer" ${dict:+-dict="$dict"} -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 corpus
