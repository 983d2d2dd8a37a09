# The tests' wine, sourced by scripts/test.sh and tests/e2e-windows/run-e2e.sh after
# they name the prefix in WINEPREFIX: a UTF-8 locale (under C wine garbles names
# outside ASCII), no debug chatter, no Mono or Gecko installer prompts, no desktop
# menu entries, no session bus. wine_start starts the prefix's server before the tests, making the
# prefix the first time (without the warm-up ctest under wine stalls); it fails when
# wine cannot run there. Programs run as "$SA_WINE" program. The caller stops the server with `wineserver -k`.
export WINEPREFIX="${WINEPREFIX:?name the wine prefix first}"
# A 32-bit Windows unless the caller asks for win64; a prefix keeps the kind it was
# made with.
export WINEARCH="${WINEARCH:-win32}"
# The loader: in a 64-bit prefix the 64-bit one itself, since Debian's `wine` picks the
# 32-bit one wherever wine32 is installed, even on a kernel that cannot start it.
SA_WINE=wine
if [ "$WINEARCH" = win64 ] && [ -x /usr/lib/wine/wine64 ]; then
  SA_WINE=/usr/lib/wine/wine64
  export WINELOADER=$SA_WINE
fi
export WINEDEBUG=-all LANG=C.UTF-8 LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# No session bus: where its tools are installed, wine would start one of its own that
# outlives the tests.
export DBUS_SESSION_BUS_ADDRESS="disabled:"

wine_start() {
  mkdir -p "$WINEPREFIX"
  wineserver -p  # fails when the prefix's server runs already: that one serves
  "$SA_WINE" cmd /c exit
}
