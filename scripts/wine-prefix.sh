#!/bin/sh
# Sourced: creates a throw-away Wine prefix for one test run and keeps its wineserver alive until
# wine_prefix_stop. Later wine programs reuse that server, so none of them waits for a new one.
wine_prefix_start() {
  WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/veltharn-wine.XXXXXX")
  export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  wineboot -i >"$WINEPREFIX/wineboot.log" 2>&1 </dev/null
  # Without a window manager every hidden window costs seconds.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$WINEPREFIX/wineboot.log" 2>&1 </dev/null
}
wine_prefix_stop() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 </dev/null || true
    wineserver -w >/dev/null 2>&1 </dev/null || true
    rm -rf "$WINEPREFIX"
  fi
}
