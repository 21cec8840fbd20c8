#!/bin/sh
# Linkage checks of libvsip-tv.so.
#   check_linkage.sh needed  LIB           NEEDED is libc plus at most libgomp
#   check_linkage.sh exports LIB CC HEADERDIR
#                                          the dynamic symbols are exactly the
#                                          functions the public headers declare
set -eu
mode=$1
lib=$2

case "$mode" in
needed)
    needed=$(readelf -d "$lib" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | sort)
    echo "NEEDED: $needed"
    echo "$needed" | grep -qx 'libc.so.6' || { echo "libc.so.6 missing"; exit 1; }
    extra=$(echo "$needed" | grep -vx -e 'libc.so.6' -e 'libgomp.so.1' || true)
    [ -z "$extra" ] || { echo "unexpected NEEDED entries: $extra"; exit 1; }
    ;;
exports)
    cc=$3
    incdir=$4
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    printf '#include <vsip.h>\n#include <vsip_tv.h>\n' |
        "$cc" -E -P -I"$incdir" -x c - |
        grep -oE '\b(vsip|VU|tml)_[A-Za-z0-9_]+ *\(' | tr -d ' (' | sort -u >"$tmp/declared"
    nm -D --defined-only "$lib" | awk '{print $3}' | sort -u >"$tmp/exported"
    echo "declared: $(wc -l <"$tmp/declared"), exported: $(wc -l <"$tmp/exported")"
    if ! diff "$tmp/declared" "$tmp/exported"; then
        echo "'<' declared but not exported, '>' exported but not declared"
        exit 1
    fi
    ;;
*)
    echo "unknown mode $mode"
    exit 2
    ;;
esac
