#!/usr/bin/env bash
# The folder check itself, on small trees of its own: each row plants one
# include and says whether the check must refuse the tree.
set -uo pipefail
check=${1:?usage: folder_arrows_test.sh scripts/folder-arrows}
status=0
row() {  # name, expected exit, then "file:include" pairs
    local name=$1 expected=$2 tree
    shift 2
    tree=$(mktemp -d)
    for pair in "$@"; do
        mkdir -p "$tree/$(dirname "${pair%%:*}")"
        echo "#include \"${pair#*:}\"" >>"$tree/${pair%%:*}"
    done
    mkdir -p "$tree"/{runtime,aerobutton,main,helper,services/low}
    touch "$tree/runtime/base.h" "$tree/services/low/low.h"
    python3 "$check" "$tree" >"$tree.out" 2>&1
    local got=$?
    [ "$got" = "$expected" ] || { echo "FAIL: $name: exit $got, wanted $expected"; cat "$tree.out"; status=1; }
    rm -rf "$tree" "$tree.out"
}
row "arrows one way" 0 services/high/high.cpp:low/low.h services/low/low.cpp:runtime/base.h main/x.cpp:high/high.h
row "two folders importing each other" 1 services/high/high.h:low/low.h services/low/low.cpp:high/high.h
row "a circle through a third folder" 1 services/a/a.h:low/low.h services/low/low.cpp:b/b.h services/b/b.h:a/a.h
row "an include that hides its folder" 1 services/high/high.cpp:low.h
row "an include beside its file" 0 services/low/low.cpp:low.h
[ "$status" = 0 ] && echo "ok: the folder check refuses circles and hidden folders, and only those"
exit $status
