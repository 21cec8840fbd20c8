#!/usr/bin/env bash
# Installs the build tree into a scratch prefix, then builds the C client
# against it twice: with pkg-config and with a CMake find_package project.
# usage: check_install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" >/dev/null
libdir=$(dirname "$(find "$work/prefix" -name 'libdazaro-tv.so' | head -1)")

echo "== pkg-config"
export PKG_CONFIG_PATH="$libdir/pkgconfig"
cc -std=c11 -Wall -Wextra -Werror "$src/tests/c/client.c" -o "$work/client" \
  $(pkg-config --cflags --libs dazaro-tv) -lm
LD_LIBRARY_PATH="$libdir" "$work/client"

echo "== find_package"
cmake -S "$src/tests/c/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$work/prefix" \
  -DCLIENT_SOURCE="$src/tests/c/client.c" >/dev/null
cmake --build "$work/consumer" >/dev/null
LD_LIBRARY_PATH="$libdir" "$work/consumer/consumer"
