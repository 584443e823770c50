#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Zentrova developers
# The launcher, the AppStream metadata and the structure-file type, checked
# with the desktop's own tools; the file type installed into a temporary
# XDG_DATA_HOME must name a written structure file, by its extension and by
# its first line alone.
#   check-desktop-files.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check-desktop-files: $*" >&2; exit 1; }

desktop-file-validate "$source/packaging/org.zentrova.Zentrova.desktop" || fail "the launcher does not validate"
appstreamcli validate --no-net --explain "$build/packaging/org.zentrova.Zentrova.metainfo.xml" \
  || fail "the AppStream metadata does not validate"

mkdir -p "$work/data/mime/packages"
cp "$source/packaging/org.zentrova.Zentrova.mime.xml" "$work/data/mime/packages/org.zentrova.Zentrova.xml"
update-mime-database "$work/data/mime"
"$build/bin/zentrova-cli" convert "$source/tests/data/structure/full.ZIT" -o "$work/site.ZIT" >/dev/null
cp "$work/site.ZIT" "$work/site.zit"
cp "$work/site.ZIT" "$work/no-extension"
for f in site.ZIT site.zit no-extension; do
  type=$(XDG_DATA_HOME=$work/data xdg-mime query filetype "$work/$f" 2>/dev/null)
  [ "$type" = "application/x-zentrova-structure" ] || fail "$f is taken for \"$type\""
done
echo "check-desktop-files: launcher, metadata and file type are valid"
