# Sourced by the Wine test scripts: the environment of this build tree's throwaway prefix.
# Usage: . wine-env.sh BUILD_DIR
KESTROM_BUILD_DIR=$(cd "$1" && pwd -P)
export WINEPREFIX="$KESTROM_BUILD_DIR/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
if [ -f "$KESTROM_BUILD_DIR/wine-display" ]; then
  DISPLAY=$(cat "$KESTROM_BUILD_DIR/wine-display")
  export DISPLAY
fi
