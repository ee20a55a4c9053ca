#!/usr/bin/env bash
# The kernels' object files, one per instruction set, as compiled: no fused
# multiply-add anywhere (the picture needs every product rounded before it is
# added, and AVX-512's flags make FMA available, as ARM's vector unit always
# does), and no code with external linkage outside the set's own namespace
# (an inline function compiled with a wider set's flags could otherwise be
# linked in for baseline callers). With --vectors, each object must also hold
# instructions matching the pattern: the kernels really are in vector registers.
# Usage: kernel_objects.sh NM OBJDUMP [--vectors PATTERN] SET=OBJECT...
set -u
nm=$1 objdump=$2
shift 2
vectors=""
if [ "${1:-}" = --vectors ]; then
    vectors=$2
    shift 2
fi
# x86's vfmadd... and vfnmsub..., ARM's fmadd, fnmsub..., fmla and fmls.
fused_pattern='\sv?fn?m(add|sub)|\sfml[as]'
failures=0
for pair in "$@"; do
    before=$failures
    set_name=${pair%%=*} object=${pair#*=}
    if [ ! -s "$object" ]; then
        echo "FAILED: $set_name: no object file $object"
        failures=$((failures + 1))
        continue
    fi
    code=$("$objdump" -d --no-show-raw-insn "$object")
    fused=$(grep -cE "$fused_pattern" <<<"$code")
    if [ "$fused" -ne 0 ]; then
        echo "FAILED: $set_name: $fused fused multiply-add instructions"
        failures=$((failures + 1))
    fi
    if [ -n "$vectors" ]; then
        count=$(grep -cE "$vectors" <<<"$code")
        echo "$set_name: $count instructions matching $vectors, $fused fused multiply-add"
        if [ "$count" -eq 0 ]; then
            echo "FAILED: $set_name: no vector instructions"
            failures=$((failures + 1))
        fi
    fi
    # Code: T global, W weak (nm shows weak data as V).
    stray=$("$nm" -C --defined-only "$object" | awk '$2 == "T" || $2 == "W" { $1 = ""; $2 = ""; print }' |
        sed 's/^ *//' | grep -v "^fastkernels::$set_name::")
    if [ -n "$stray" ]; then
        echo "FAILED: $set_name defines code outside fastkernels::$set_name:"
        echo "$stray"
        failures=$((failures + 1))
    fi
    [ "$failures" -eq "$before" ] &&
        echo "$set_name: no fused multiply-add, no code outside its namespace"
done
[ "$failures" -eq 0 ]
