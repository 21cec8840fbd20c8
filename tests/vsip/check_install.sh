#!/bin/sh
# Installs the build tree into a scratch prefix, then builds the plain-C
# client twice as an application would: with pkg-config, and as a CMake
# project through find_package(vsip-tv).  Both programs must run.
#   check_install.sh BUILD_DIR SOURCE_DIR CMAKE
set -eu
build=$1
src=$2
cmake=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
libdir=$(dirname "$(find "$prefix" -name 'libvsip-tv.so' | head -n 1)")
export PKG_CONFIG_PATH=$libdir/pkgconfig
export LD_LIBRARY_PATH=$libdir

echo "pkg-config: $(pkg-config --cflags --libs vsip-tv)"
# shellcheck disable=SC2046
cc -std=c11 -Wall -Werror "$src/c_client.c" -o "$tmp/client" $(pkg-config --cflags --libs vsip-tv)
"$tmp/client" >/dev/null

mkdir "$tmp/app"
cp "$src/c_client.c" "$tmp/app/"
cat >"$tmp/app/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.20)
project(vsip_app C)
find_package(vsip-tv REQUIRED)
add_executable(client c_client.c)
target_link_libraries(client PRIVATE vsip-tv::vsip-tv)
CMAKE
"$cmake" -S "$tmp/app" -B "$tmp/app/build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
"$cmake" --build "$tmp/app/build" >/dev/null
"$tmp/app/build/client" >/dev/null
echo "installed package works"
