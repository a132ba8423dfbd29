#!/bin/bash
# The library exports exactly its two entries, under the version node MEX.
set -u
LIB=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v nm >/dev/null || { echo "nm not found: skipped"; exit 0; }

# Version definitions show up as absolute symbols named after the node.
exported=$(nm -D --defined-only "$LIB" | awk '$2 != "A" {print $3}' | sort | tr '\n' ' ')
[ "$exported" = "mexLibrary@@MEX mexVersion@@MEX " ] || fail "exported: $exported"
echo "exports: ok"
