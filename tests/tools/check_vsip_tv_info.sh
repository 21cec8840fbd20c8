#!/bin/sh
# vsip-tv-info with one backend routine made faulty (faulty_backends.c):
# the self-checks that rely on it fail, the others pass, and the exit
# status is 1.
# With the shim loaded but no fault, everything passes (status 0).
# usage: check_vsip_tv_info.sh TOOL SHIM
tool=$1
shim=$2
status=0
# fault  checks that must fail, in output order (- for none)
while read -r fault check; do
  want_rc=1
  want="$check "
  if [ "$check" = - ]; then
    want_rc=0
    want=""
  fi
  out=$(env LD_PRELOAD="$shim" DIAG_FAULT="$fault" ASAN_OPTIONS=verify_asan_link_order=0 "$tool")
  rc=$?
  failed=$(printf '%s\n' "$out" | sed -n 's/^  \([a-z]*\) .* FAILED$/\1/p' | tr '\n' ' ')
  if [ "$rc" -ne "$want_rc" ] || [ "$failed" != "$want" ]; then
    echo "DIAG_FAULT=$fault: exit status $rc, failed checks '$failed'; expected $want_rc and '$want'"
    status=1
  fi
done <<'TABLE'
fft fft
sgemm product
sdot product fir
none -
TABLE
exit $status
