#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a fixed number of
# inputs, starting from its seed corpus (fuzz/<folder>/corpus/<target>/) when
# there is one. A crash or sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${FUZZ_RUNS:-20000}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

mapfile -t targets < <(find build/fuzz/fuzz -type f -name '*_fuzzer' -perm -u+x | sort)
if ((${#targets[@]} == 0)); then
  echo "no fuzz targets"
  exit 0
fi
for target in "${targets[@]}"; do
  name=$(basename "$target")
  folder=$(basename "$(dirname "$target")")
  seeds=fuzz/$folder/corpus/$name
  work=$(mktemp -d)
  [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/
  echo "fuzzing $name for $runs inputs"
  "$target" -runs="$runs" -max_len=4096 -rss_limit_mb=2048 "$work" 2>"$work.log" || {
    tail -n 60 "$work.log"; rm -rf "$work" "$work.log"; exit 1; }
  tail -n 1 "$work.log"
  rm -rf "$work" "$work.log"
done
