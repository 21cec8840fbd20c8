#!/usr/bin/env bash
# Fails when an object file holds a VEX-encoded (AVX) instruction: the
# runtime and the portable kernels must run on baseline x86-64.
# usage: check_no_vex.sh OBJECT[:OBJECT...]
set -euo pipefail
status=0
IFS=':' read -r -a objects <<< "$1"
for obj in "${objects[@]}"; do
  # VEX mnemonics start with v (vmovaps, vfmadd..., vzeroupper).
  hits=$(objdump -d --no-show-raw-insn "$obj" | grep -E '^\s+[0-9a-f]+:\s+v[a-z0-9]+' || true)
  if [ -n "$hits" ]; then
    echo "VEX instructions in $obj:"
    echo "$hits" | head -5
    status=1
  fi
done
[ $status -eq 0 ] && echo "${#objects[@]} objects hold no VEX instruction"
exit $status
