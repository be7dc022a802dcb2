#!/bin/sh
# Checks that a changed lumapress-cli writes exactly the movies a reference build writes.
#
#   tests/cli/same_movies.sh REFERENCE_CLI CANDIDATE_CLI [INPUT.png ...]
#
# Converts the inputs (default: the bundled samples and the photo corpus) with both programs
# at qualities 0, 50, 80, 99 and 100, into one movie and in batch mode, with one and two jobs,
# and compares every movie byte for byte with cmp. Exits 1 on the first difference.
set -eu

if [ $# -lt 2 ]; then
  echo "usage: $0 REFERENCE_CLI CANDIDATE_CLI [INPUT.png ...]" >&2
  exit 2
fi
reference=$1
candidate=$2
shift 2
root=$(cd "$(dirname "$0")/../.." && pwd)
if [ $# -eq 0 ]; then
  set -- "$root"/resources/samples/*.png "$root"/../../shared/corpus/*.png
  [ -d "$root/../../shared/corpus" ] || set -- "$root"/resources/samples/*.png
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert() {  # program, out folder, quality, jobs, inputs...
  program=$1 out=$2 quality=$3 jobs=$4
  shift 4
  mkdir -p "$out/batch"
  "$program" --quiet -q "$quality" -j "$jobs" -o "$out/single.swf" "$@"
  "$program" --quiet -q "$quality" -j "$jobs" -b -o "$out/batch" "$@"
}

checked=0
for quality in 0 50 80 99 100; do
  convert "$reference" "$work/ref-$quality" "$quality" 1 "$@"
  for jobs in 1 2; do
    out="$work/new-$quality-$jobs"
    convert "$candidate" "$out" "$quality" "$jobs" "$@"
    for movie in "$work/ref-$quality/single.swf" "$work/ref-$quality"/batch/*.swf; do
      relative=${movie#"$work/ref-$quality/"}
      if ! cmp "$movie" "$out/$relative"; then
        echo "differs: quality $quality, $jobs jobs, $relative" >&2
        exit 1
      fi
      checked=$((checked + 1))
    done
  done
  rm -rf "$work/ref-$quality" "$work"/new-"$quality"-*
done
echo "same_movies: $checked movies identical"
