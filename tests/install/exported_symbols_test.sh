#!/usr/bin/env bash
# exported_symbols_test.sh LIBRARY DEF_FILE
# The shared library defines exactly the names that its module-definition file
# lists, and nothing else.
set -euo pipefail
library=$1 def_file=$2
expected=$(sed -n '/^EXPORTS/,$p' "$def_file" | tail -n +2 | sed -n 's/^[[:space:]]*\([A-Za-z_][A-Za-z0-9_]*\).*/\1/p' | sort)
actual=$(nm -D --defined-only "$library" | awk '{print $3}' | sort)
if [ "$expected" != "$actual" ]; then
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
echo "exports ok: $(echo $actual)"
