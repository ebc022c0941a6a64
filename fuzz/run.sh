#!/usr/bin/env bash
# Builds every fuzz/fuzz_*.cpp with libFuzzer and the sanitizers against the
# core sources and runs each for SECONDS (default 60), all at once.
# Usage: fuzz/run.sh [SECONDS] [NAME...]   (NAME as in fuzz_NAME.cpp)
# New inputs go to build/fuzz/corpus-NAME; the committed seeds are only read.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
shopt -s nullglob

out=build/fuzz
mkdir -p "$out"
core=(src/port/*.cpp src/data/*.cpp src/views/*.cpp src/settings/*.cpp src/calendar/*.cpp src/exchange/*.cpp src/app/*.cpp)
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -Isrc -Itests -Ifuzz)

targets=()
if [ $# -gt 0 ]; then
  for name in "$@"; do targets+=("fuzz/fuzz_${name}.cpp"); done
else
  targets=(fuzz/fuzz_*.cpp)
fi

# The core once as objects, then one link per target.
objects=()
for src in "${core[@]}"; do
  obj="$out/obj/${src//\//_}.o"
  mkdir -p "$out/obj"
  # Rebuilt when the source or any core header changed since.
  if [ ! -f "$obj" ] || [ "$src" -nt "$obj" ] || [ -n "$(find src tests/support -name '*.h' -newer "$obj" -print -quit)" ]; then
    clang++ "${flags[@]/-fsanitize=fuzzer,address,undefined/-fsanitize=fuzzer-no-link,address,undefined}" -c "$src" -o "$obj"
  fi
  objects+=("$obj")
done

pids=()
names=()
for src in "${targets[@]}"; do
  name=$(basename "$src" .cpp)
  echo "building $name"
  clang++ "${flags[@]}" "$src" "${objects[@]}" -o "$out/$name"
  mkdir -p "$out/corpus-$name"
  echo "running $name for ${seconds}s (log: $out/$name.log)"
  (cd "$out" && "./$name" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 \
      "corpus-$name" "../../fuzz/corpus/$name" >"$name.log" 2>&1) &
  pids+=($!)
  names+=("$name")
done

status=0
for i in "${!pids[@]}"; do
  if wait "${pids[$i]}"; then
    echo "${names[$i]}: clean ($(grep -c . "$out/${names[$i]}.log") log lines)"
  else
    echo "${names[$i]}: FAILED, see $out/${names[$i]}.log"
    status=1
  fi
done
exit $status
