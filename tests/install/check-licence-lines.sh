#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Zentrova developers
# Every source file names its licence in an SPDX line near its top: the
# code, build files, scripts, manual pages, help pages and packaging files.
#   check-licence-lines.sh SOURCE_DIR
set -uo pipefail
cd "$1" || exit 1
missing=0
while IFS= read -r -d '' f; do
  if ! head -n 4 "$f" | grep -q 'SPDX-License-Identifier: '; then
    echo "check-licence-lines: $f names no licence (SPDX-License-Identifier)" >&2
    missing=1
  fi
done < <(find src tests tools bench cmake scripts man data/help packaging .ci \
  \( -path tests/fuzz/corpus\* -o -path tests/data \) -prune -o -type f \
  \( -name '*.cpp' -o -name '*.h' -o -name '*.cmake' -o -name CMakeLists.txt -o -name '*.sh' \
     -o -name '*.py' -o -name '*.in' -o -name '*.html' -o -name '*.css' -o -name '*.desktop' \
     -o -name '*.xml' -o -path 'scripts/*' -o -path '.ci/*' \) -print0)
for f in CMakeLists.txt Makefile; do
  head -n 4 "$f" | grep -q 'SPDX-License-Identifier: ' || { echo "check-licence-lines: $f names no licence" >&2; missing=1; }
done
[ $missing -eq 0 ] && echo "check-licence-lines: every source file names its licence"
exit $missing
