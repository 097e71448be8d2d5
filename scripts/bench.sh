#!/usr/bin/env bash
# Measures the hot paths that have a target against their bare baselines and
# prints each figure beside its target. Installs what is missing and builds
# the benchmark programs (Release, as scripts/run.sh builds the application)
# into build/bench first.
#
# A pair runs interleaved: each round runs the application's side, then the
# bare side, each in a process of its own pinned to the same cores. Two
# figures come out: the ratio of the two sides' medians, and the median of
# each round's own ratio. On a shared or virtual machine one binary's time
# can swing from one process to the next; the round ratio compares two runs
# that saw the machine in the same state, so it is the steadier of the two,
# and short series (under 15 rounds) can cross a target either way.
# The scale figures compare one benchmark's sizes within one process (median
# of five repetitions).
set -euo pipefail

usage() {
  cat <<'USAGE'
usage: scripts/bench.sh [--rounds N] [--cores LIST] [NAME]...
Builds the benchmark programs (Release) and measures each pair against its target.

  --rounds N    rounds per pair (default 15)
  --cores LIST  the cores every run is pinned to, as taskset takes them (default 0,1)
  --help        print this help and exit

NAME picks what to measure: the pairs store insert bridge package api home
fill road analytics ezjsonfeed ezjsonlist txjson txjk-encode (the analytics
SDK's encoder over KRJSON's on the same batch) json (json/decode-feed,
json/decode-list and json/encode-list, or one of them), and scale for the
cost-as-the-work-grows figures (the follow list timed to its first frame, a
follow sync timed with the list open over closed, a follow over an unfollow
with 20,000 listed and the list open, and the memory of the open list once
every row is measured, as an absolute figure).
Without a NAME everything runs (about a quarter of an hour once built). The
exit status is 1 when a figure misses its target by both measures.
USAGE
}

rounds=15
cores=0,1
names=()
while [ $# -gt 0 ]; do
  case "$1" in
    --help|-h) usage; exit 0 ;;
    --rounds) rounds=${2:?--rounds takes a number}; shift 2 ;;
    --cores) cores=${2:?--cores takes a list}; shift 2 ;;
    -*) echo "unknown option $1" >&2; usage >&2; exit 2 ;;
    *) names+=("$1"); shift ;;
  esac
done
case "$rounds" in
  ''|*[!0-9]*|0) echo "--rounds takes a number above 0" >&2; exit 2 ;;
esac

cd "$(dirname "$0")/.."
source scripts/deps.sh
source scripts/lib.sh
zmr_install_stage

# name program application-side bare-side target; a NAME picks every pair
# whose name is NAME or begins with NAME/.
pairs=(
  "store store_bench BM_Store_Query1k BM_RawSqlite_Query1k 1.3"
  "insert store_bench BM_Store_Insert10k BM_RawSqlite_Insert10k 1.15"
  "bridge zzscript_bench BM_BridgeRoundTrip BM_BareDuktapeCall 4"
  "package zzscript_bench BM_PackageVerifyExtract_1MB BM_BareExtractVerify_1MB 1.2"
  "api http_bench BM_KRAPI_RoundTrip1k BM_RawCurl_RoundTrip1k 1.1"
  "home home_bench BM_HomeFirstPage BM_BareFeedPage 1.2"
  "fill text_bench BM_FillParse_FeedCell BM_Tokenize_FeedCell 1.3"
  "road road_bench BM_SignInCheck500 BM_RawCurl_Post500 1.1"
  "analytics analytics_bench BM_Analytics_StoreSend10k BM_Bare_SqliteCurl10k 1.3"
  "ezjsonfeed zzjson_bench BM_EZJSON_Decode/feed BM_KRJSON_Decode/feed 1.3"
  "ezjsonlist zzjson_bench BM_EZJSON_Decode/list BM_KRJSON_Decode/list 1.3"
  "txjson analytics_bench BM_TXJSON_DecodeBatch BM_KRJSON_DecodeBatch 1.3"
  "txjk-encode analytics_bench BM_TXJK_EncodeBatch BM_KRJSON_EncodeBatch 1.25"
  "json/decode-feed json_bench BM_KRJSON_Decode/feed BM_RapidJSON_Decode/feed 1.0"
  "json/decode-list json_bench BM_KRJSON_Decode/list BM_RapidJSON_Decode/list 1.2"
  "json/encode-list json_bench BM_KRJSON_Encode/list BM_RapidJSON_Encode/list 0.85"
)

wanted() {
  [ ${#names[@]} -eq 0 ] && return 0
  local name
  for name in "${names[@]}"; do
    [ "$name" = "$1" ] || [ "$name" = "${1%%/*}" ] && return 0
  done
  return 1
}

known=(scale)
programs=()
for pair in "${pairs[@]}"; do
  read -r name program _ <<<"$pair"
  known+=("$name")
  if [ "${name%%/*}" != "$name" ]; then known+=("${name%%/*}"); fi
  wanted "$name" && programs+=("$program")
done
wanted scale && programs+=(ledger_bench people_bench home_bench zzjson_bench analytics_bench)
for name in "${names[@]}"; do
  if ! printf '%s\n' "${known[@]}" | grep -qx -- "$name"; then
    echo "nothing is called $name; the names are $(printf '%s\n' "${known[@]}" | sort -u | xargs)" >&2
    exit 2
  fi
done
readarray -t programs < <(printf '%s\n' "${programs[@]}" | sort -u)

build_bench() {
  cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DZMR_BENCH=ON -DZMR_TESTS=OFF &&
    cmake --build build/bench --target "${programs[@]}"
}
zmr_stage bench-build "Building the benchmarks (Release)…" build_bench

pin=(taskset -c "$cores")
command -v taskset >/dev/null || pin=()

# run PROGRAM FILTER [ARGUMENT...]: the program's CSV (a header line, then a
# row per run) for the filter, run from the source folder (the benchmarks
# read ./resources).
run() {
  local program=$1 filter=$2
  shift 2
  "${pin[@]}" "build/bench/bench/$program" "--benchmark_filter=^$filter(/.*)?\$" \
    --benchmark_format=csv "$@" 2>/dev/null | grep -E '^("BM_|name,)' || true
}

# The first row's real time in nanoseconds; nothing when the run failed.
nanoseconds() {
  grep -m 1 '^"BM_' | awk -F, '$3 != "" {
    scale = $5 == "ms" ? 1e6 : $5 == "us" ? 1e3 : $5 == "s" ? 1e9 : 1
    printf "%.1f\n", $3 * scale
  }'
}

median() {
  sort -g | awk '{ v[NR] = $1 } END {
    if (NR == 0) exit 1
    printf "%.6g\n", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
  }'
}

# verdict RATIO [ROUND-RATIO] TARGET
verdict() {
  awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN {
    if (a <= t && b <= t) print "met"
    else if (a <= t || b <= t) print "met by one measure"
    else print "MISSED"
  }'
}

# Times as the figures read best: ns, us or ms.
readable() {
  awk -v n="$1" 'BEGIN {
    if (n >= 1e6) printf "%.2f ms", n / 1e6
    else if (n >= 1e3) printf "%.1f us", n / 1e3
    else printf "%.0f ns", n
  }'
}

missed=0
heading=
for pair in "${pairs[@]}"; do
  read -r name program app bare target <<<"$pair"
  wanted "$name" || continue
  if [ -z "$heading" ]; then
    heading=1
    echo "Pairs: $rounds rounds each, pinned to cores $cores"
    printf '%-17s %12s %12s %7s %7s %7s  %s\n' pair application bare ratio round target ""
  fi
  a_times=() b_times=() ratios=()
  for ((i = 0; i < rounds; i++)); do
    a=$(run "$program" "$app" | nanoseconds)
    b=$(run "$program" "$bare" | nanoseconds)
    if [ -z "$a" ] || [ -z "$b" ]; then
      echo "$name: a run of $program failed; run it alone to see why" >&2
      missed=1
      continue 2
    fi
    a_times+=("$a") b_times+=("$b")
    ratios+=("$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.6g", a / b }')")
  done
  ma=$(printf '%s\n' "${a_times[@]}" | median)
  mb=$(printf '%s\n' "${b_times[@]}" | median)
  ratio=$(awk -v a="$ma" -v b="$mb" 'BEGIN { printf "%.2f", a / b }')
  round=$(printf '%s\n' "${ratios[@]}" | median | xargs printf '%.2f')
  outcome=$(verdict "$ratio" "$round" "$target")
  [ "$outcome" = MISSED ] && missed=1
  printf '%-17s %12s %12s %7s %7s %7s  %s\n' "$name" "$(readable "$ma")" "$(readable "$mb")" \
    "$ratio" "$round" "<= $target" "$outcome"
done

# scale_figure CSV BENCHMARK SMALL LARGE COLUMN: the large size's median
# over the small one's in the aggregates CSV, COLUMN naming a CSV column
# (real_time, or a counter); a SMALL of - gives the large size's median
# itself. Fails when a figure is missing.
scale_figure() {
  local field small=1 large
  field=$(head -n 1 <<<"$1" | tr , '\n' | tr -d '"' | grep -n -x -m 1 "$5" | cut -d: -f1)
  [ -n "$field" ] || return 1
  [ "$3" = - ] || small=$(grep -E "^\"$2/$3(/[^\"]*)?_median\"" <<<"$1" | cut -d, -f"$field")
  large=$(grep -E "^\"$2/$4(/[^\"]*)?_median\"" <<<"$1" | cut -d, -f"$field")
  [ -n "$small" ] && [ -n "$large" ] || return 1
  awk -v s="$small" -v l="$large" 'BEGIN { printf "%.2f", l / s }'
}

if wanted scale; then
  echo "Scale: the larger size over the smaller, median of five repetitions, pinned to cores $cores"
  printf '%-44s %7s %7s  %s\n' figure ratio target ""
  measured=
  while IFS='|' read -r label program benchmark small large column target; do
    # Figures of one benchmark (the home frame and its memory) share a run.
    if [ "$measured" != "$program $benchmark" ]; then
      csv=$(run "$program" "$benchmark" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true)
      measured="$program $benchmark"
    fi
    if ! figure=$(scale_figure "$csv" "$benchmark" "$small" "$large" "$column"); then
      echo "$benchmark: a run of $program failed; run it alone to see why" >&2
      missed=1
      continue
    fi
    outcome=$(verdict "$figure" "$figure" "$target")
    [ "$outcome" = MISSED ] && missed=1
    printf '%-44s %7s %7s  %s\n' "$label" "$figure" "<= $target" "$outcome"
  done <<'SCALE'
month ledger open, 10,000 over 100 entries|ledger_bench|BM_LedgerOpenScale|100|10000|real_time|1.2
month ledger scroll step, 10,000 over 100|ledger_bench|BM_LedgerScrollStepScale|100|10000|real_time|1.2
follow list first frame, 20,000 over 2,000|people_bench|BM_FollowListOpenScale|2000|20000|real_time|10
follow list of 20,000 measured, resident MB|people_bench|BM_FollowListOpenScale|-|20000|rss_mb|80
follow sync of 5,000, list open over closed|people_bench|BM_FollowSync|0|1|real_time|1.5
follow over unfollow, 20,000 listed and open|people_bench|BM_FollowChange|0|1|real_time|1.5
ZZ JSON object, 30,000 over 3,000 keys|zzjson_bench|BM_EZJSON_DecodeKeys|3000|30000|real_time|15
analytics JSON object, 30,000 over 3,000 keys|analytics_bench|BM_TXJSON_DecodeKeys|3000|30000|real_time|15
home scrolled frame, page 50 over page 1|home_bench|BM_HomeScrollScale|1|50|real_time|1.2
home resident memory, page 50 over page 1|home_bench|BM_HomeScrollScale|1|50|rss_mb|2
SCALE
fi
exit "$missed"
