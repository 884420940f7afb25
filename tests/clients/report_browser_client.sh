#!/usr/bin/env bash
# Opens the program report in headless Chromium and saves a screenshot for a person to look at.
# Usage: report_browser_client.sh KestromLog.html picture.png
set -eu
browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
  echo "chromium is not installed: skipped"
  exit 77
fi
mkdir -p "$(dirname "$2")"
rm -f "$2"
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
"$browser" --headless --no-sandbox --disable-gpu --user-data-dir="$profile" --window-size=1100,1400 \
  --screenshot="$2" "file://$(realpath "$1")" >/dev/null 2>&1
[ -s "$2" ] && echo "screenshot: $2"
