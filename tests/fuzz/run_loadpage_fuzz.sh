#!/usr/bin/env bash
# Builds the page loader's fuzz target with clang and libFuzzer (the project itself builds with g++, whose
# sanitizers do not mix with libFuzzer) and runs it for a fixed number of inputs from the seed corpus.
#   run_loadpage_fuzz.sh OUTPUT_FOLDER [RUNS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
out=${1:?output folder}
runs=${2:-20000}
mkdir -p "$out/obj" "$out/corpus"

cxx=clang++
command -v ccache >/dev/null && cxx="ccache clang++"
qt_flags=$(pkg-config --cflags Qt6Widgets)
qt_libs=$(pkg-config --libs Qt6Widgets)
# Only what reading a page reaches is linked: the store's window-side functions fall away with their
# sections, so the target needs neither the surface nor the platform library.
flags="-std=c++20 -g -O1 -fPIC -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
  -ffunction-sections -fdata-sections -Wno-return-type-c-linkage -I$root $qt_flags"
sources="surface/page_store.cpp surface/page_model.cpp surface/pen_node.cpp surface/bmp_writer.cpp
  platform/ansi.cpp platform/gdi.cpp platform/wide_line.cpp
  instruments/cube_shape.cpp instruments/column_shape.cpp instruments/three_dimension.cpp
  tests/fuzz/loadpage_fuzz.cpp"
objects=()
for source in $sources; do
  object="$out/obj/$(echo "$source" | tr / _).o"
  # shellcheck disable=SC2086
  $cxx $flags -c "$root/$source" -o "$object"
  objects+=("$object")
done
# shellcheck disable=SC2086
clang++ -fsanitize=fuzzer,address,undefined -Wl,--gc-sections -Wl,-z,start-stop-gc "${objects[@]}" $qt_libs -o "$out/loadpage_fuzz"

# New inputs go to the build's own corpus folder; the seeds in the source tree stay as they are.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=1"
"$out/loadpage_fuzz" -runs="$runs" -max_len=4096 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  "$out/corpus" "$root/tests/data/fuzz/loadpage"
