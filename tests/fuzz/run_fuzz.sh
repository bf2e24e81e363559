#!/usr/bin/env bash
# Builds one fuzz target with clang and libFuzzer (the project itself builds with g++, whose sanitizers do not
# mix with libFuzzer) and runs it for a fixed number of inputs from its seed corpus in tests/data/fuzz/NAME.
#   run_fuzz.sh NAME OUTPUT_FOLDER [RUNS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
name=${1:?target name}
out=${2:?output folder}
runs=${3:-20000}
mkdir -p "$out/obj" "$out/corpus"
out=$(cd "$out" && pwd)

# Only what the target reaches is linked: window-side functions fall away with their sections, so no target
# needs the surface or a display.
page_sources="surface/page_format.cpp surface/page_model.cpp surface/pen_node.cpp surface/pen_node_draw.cpp platform/bmp_writer.cpp
  platform/ansi.cpp platform/gdi.cpp platform/wide_line.cpp platform/image_file.cpp
  instruments/cube_shape.cpp instruments/column_shape.cpp instruments/three_dimension.cpp"
case "$name" in
  loadpage | page_roundtrip | stored_codecs) sources="$page_sources" ;;
  journal) sources="$page_sources surface/page_journal.cpp" ;;
  profile) sources="platform/profile.cpp platform/ansi.cpp" ;;
  user_entries) sources="app/user_entries.cpp platform/profile.cpp platform/ansi.cpp" ;;
  *) echo "run_fuzz.sh: no target $name" >&2; exit 2 ;;
esac
sources="$sources tests/fuzz/${name}_fuzz.cpp"

cxx=clang++
command -v ccache >/dev/null && cxx="ccache clang++"
qt_flags=$(pkg-config --cflags Qt6Widgets)
qt_libs=$(pkg-config --libs Qt6Widgets)
flags="-std=c++20 -g -O1 -fPIC -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
  -ffunction-sections -fdata-sections -Wno-return-type-c-linkage -I$root $qt_flags"
objects=()
for source in $sources; do
  object="$out/obj/$(echo "$source" | tr / _).o"
  # shellcheck disable=SC2086
  $cxx $flags -c "$root/$source" -o "$object"
  objects+=("$object")
done
libs=$qt_libs
if [ "$name" = journal ]; then libs="$libs -lz"; fi
# shellcheck disable=SC2086
clang++ -fsanitize=fuzzer,address,undefined -Wl,--gc-sections -Wl,-z,start-stop-gc "${objects[@]}" $libs \
  -o "$out/${name}_fuzz"

# New inputs go to the build's own corpus folder; the seeds in the source tree stay as they are.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=1"
cd "$out"
"./${name}_fuzz" -runs="$runs" -max_len=4096 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  "$out/corpus" "$root/tests/data/fuzz/$name"
