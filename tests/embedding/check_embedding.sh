#!/usr/bin/env bash
# Builds the README's embedding example against an installed Lumapress, once through
# find_package and once through pkg-config (shared and static), and converts two images.
# Usage: check_embedding.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" >/dev/null

# The example is exactly the README's: the first cpp and cmake blocks after "## Embedding".
mkdir -p "$work/example"
awk '/^## Embedding/ {on = 1} on && /^```cpp$/ {grab = 1; next} grab && /^```$/ {exit} grab' \
  "$source/README.md" >"$work/example/convert_two.cpp"
awk '/^## Embedding/ {on = 1} on && /^```cmake$/ {grab = 1; next} grab && /^```$/ {exit} grab' \
  "$source/README.md" >"$work/example/CMakeLists.txt"
test -s "$work/example/convert_two.cpp" && test -s "$work/example/CMakeLists.txt"

images=("$source/resources/samples/1-gradient.png" "$source/resources/samples/3-glow.png")
check_movie() {  # program, movie
  local output
  output=$("$1" "${images[@]}" "$2")
  [ "$output" = "Conversion completed successfully. (Lumapress $(cat "$work/version"))" ] ||
    { echo "unexpected output: $output"; return 1; }
  [ "$(head -c 3 "$2")" = "CWS" ] || { echo "$2 is not a compressed movie"; return 1; }
}
grep -o 'LUMAPRESS_VERSION_STRING "[^"]*"' "$work/prefix/include/lumapress/version.h" |
  cut -d'"' -f2 >"$work/version"

echo "== find_package"
cmake -S "$work/example" -B "$work/cmake-build" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
LD_LIBRARY_PATH="$work/prefix/lib" check_movie "$work/cmake-build/convert_two" "$work/cmake.swf"
# A failure prints the status text.
if LD_LIBRARY_PATH="$work/prefix/lib" "$work/cmake-build/convert_two" "$work/none.png" \
    "${images[1]}" "$work/x.swf" 2>"$work/err"; then
  echo "a missing input was reported as success"; exit 1
fi
grep -q "^Cannot open input file $work/none.png!" "$work/err"

echo "== pkg-config"
export PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig"
# shellcheck disable=SC2046
c++ -std=c++20 "$work/example/convert_two.cpp" -o "$work/shared" $(pkg-config --cflags --libs lumapress)
LD_LIBRARY_PATH="$work/prefix/lib" check_movie "$work/shared" "$work/shared.swf"
# shellcheck disable=SC2046
c++ -std=c++20 "$work/example/convert_two.cpp" -o "$work/static" $(pkg-config --cflags lumapress) \
  "$work/prefix/lib/liblumapress.a" $(pkg-config --static --libs-only-l --libs-only-other lumapress | sed 's/-llumapress//')
check_movie "$work/static" "$work/static.swf"
cmp "$work/cmake.swf" "$work/shared.swf" && cmp "$work/cmake.swf" "$work/static.swf"
echo "embedding example: find_package, pkg-config shared and static all converted"
