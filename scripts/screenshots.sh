#!/usr/bin/env bash
# Takes docs/screenshot-narrow.png, docs/screenshot-wide.png and docs/screenshot-save-card.png of
# the window on a virtual X screen at 96 dpi (Xvfb), so that the pictures show the layout at its
# designed size. The save card shows a Japanese title: the Debian package fonts-noto-cjk gives
# its glyphs.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$SELVANE_ROOT"

ensure_packages "${SELVANE_BUILD_PACKAGES[@]}" xvfb xauth fonts-noto-cjk
cmake --preset dev -S "$SELVANE_ROOT" >/dev/null
cmake --build --preset dev --target selvane_screenshots
xvfb-run -a -s "-screen 0 1280x800x24 -dpi 96" env QT_QPA_PLATFORM=xcb \
  build/dev/tools/selvane_screenshots "$SELVANE_ROOT/docs"
