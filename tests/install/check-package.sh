#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Zentrova developers
# The Debian package as a user gets it: built from BUILD_DIR with CPack,
# unpacked into a temporary root (as dpkg would install it under /usr), and
# run from there: every program's --version, zentrova-cli on a structure
# file, and the windowed program opening a file under Xvfb and closing with
# Ctrl+Q, its settings then in the user's configuration folder.
#   check-package.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1 source=$2
work=$(mktemp -d)
xvfb=""
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/out/zentrova_*.deb) || fail "no package was made"
dpkg-deb -f "$deb" Section | grep -qx electronics || fail "the package's section is not electronics"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6core6' || fail "the package does not depend on Qt (dpkg-shlibdeps)"
dpkg -x "$deb" "$work/root"
bin=$work/root/usr/bin
for f in usr/share/zentrova/LNG_MAIN.INI usr/share/zentrova/english.lng usr/share/zentrova/help \
         usr/share/applications/org.zentrova.Zentrova.desktop usr/share/metainfo/org.zentrova.Zentrova.metainfo.xml \
         usr/share/mime/packages/org.zentrova.Zentrova.xml usr/share/icons/hicolor/scalable/apps/org.zentrova.Zentrova.svg \
         usr/share/man/man1/zentrova.1.gz usr/share/man/man1/zentrova-cli.1.gz usr/share/man/man1/zentrova-sim.1.gz \
         usr/share/doc/zentrova/copyright usr/share/doc/zentrova/changelog.gz; do
  [ -e "$work/root/$f" ] || fail "$f is not in the package"
done
for p in zentrova zentrova-cli zentrova-sim; do
  "$bin/$p" --version >"$work/version" || fail "$p --version"
  head -n1 "$work/version" | grep -qx "$p [0-9.]*" || fail "$p --version: $(head -n1 "$work/version")"
  grep -q "GPLv3+" "$work/version" || fail "$p --version names no licence"
done

# The settings live in the user's configuration folder: nothing beside /usr/bin.
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
file=$source/tests/data/structure/full.ZIT
"$bin/zentrova-cli" dump "$file" >"$work/dump.json" || fail "zentrova-cli dump from the installed tree"
grep -q '"elements"\|"tree"' "$work/dump.json" || fail "the dump has no tree: $(head -c 200 "$work/dump.json")"
QT_QPA_PLATFORM=offscreen "$bin/zentrova-cli" report "$file" -o "$work/report.pdf" || fail "zentrova-cli report"
[ -s "$work/report.pdf" ] || fail "no report was written"

# The windowed program: opens the file, closes on Ctrl+Q and keeps its
# recent files in ~/.config/zentrova/ZENTRO.INI.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$work/display")
unset QT_QPA_PLATFORM
"$bin/zentrova" "$file" >"$work/gui.log" 2>&1 &
gui=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --classname zentrova | head -n1) || true
[ -n "$window" ] || { kill $gui 2>/dev/null; cat "$work/gui.log"; fail "the installed program showed no window"; }
sleep 1
xdotool windowfocus --sync "$window" key ctrl+q
for _ in $(seq 50); do kill -0 $gui 2>/dev/null || break; sleep 0.1; done
if kill -0 $gui 2>/dev/null; then kill $gui; fail "the installed program did not close on Ctrl+Q"; fi
wait $gui || fail "the installed program ended with an error: $(cat "$work/gui.log")"
settings=$XDG_CONFIG_HOME/zentrova/ZENTRO.INI
[ -f "$settings" ] || fail "no settings in $settings"
grep -q "full.ZIT" "$settings" || fail "the settings do not name the file that was open"
[ ! -e "$bin/ZENTRO.INI" ] || fail "settings were written beside the program"
echo "check-package: $(basename "$deb") installs and runs"
