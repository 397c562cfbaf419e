# Shared Wine set-up for the build and test scripts (sourced, not run).
# SETUP_WINE_ARCH picks the Wine of a build tree: win32 (the shipped 32-bit
# program, where the kernel runs 32-bit code) or win64 (the default: the
# same sources built for x86-64, for kernels without 32-bit support).

SETUP_WINE_ARCH=${SETUP_WINE_ARCH:-win64}
if [[ $SETUP_WINE_ARCH == win32 ]]; then
  WINE=/usr/lib/wine/wine
else
  WINE=/usr/lib/wine/wine64
fi
# One server serves prefixes of either kind.
WINESERVER=/usr/lib/wine/wineserver64
[[ -x $WINESERVER ]] || WINESERVER=/usr/lib/wine/wineserver32

# Starts a virtual display (default 1024x768) and exports DISPLAY; the
# caller ends xvfb_pid. Xvfb picks a free display number itself and names it
# once it takes connections: no race with other servers starting.
xvfb_start() {
  local named
  named=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp 3>"$named" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 500); do [[ -s $named ]] && break; sleep 0.01; done
  [[ -s $named ]] && export DISPLAY=:$(<"$named")
  [[ -s $named ]]; local started=$?
  rm -f "$named"
  return $started
}

# True where this kernel runs 32-bit code, so that 32-bit Wine starts.
wine32_runs() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

wine_env() {
  export WINEPREFIX=$1 WINEARCH=$SETUP_WINE_ARCH WINEDEBUG=${WINEDEBUG:--all}
  # The locale (Wine's code page) goes to Wine through LANG, with no LC_*
  # variable left to override it. Not through LC_ALL: bash switches itself
  # to that at once, and a shell that started before deps.sh generated the
  # locale cannot (the C library looks for its locale archive only once)
  # and says so in a warning. A LANG it cannot use it passes over quietly.
  unset "${!LC_@}"
  export LANG=${SETUP_WINE_LANG:-ja_JP.UTF-8}
  # No Mono/Gecko prompts, no menu entries written into the user's desktop.
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
}

# Keeps one server alive between the suite's many short starts; a second
# call while it runs is a no-op.
# The test suite keeps its servers until it ends them itself, so that no
# server shuts down while a test starts.
wine_server_start() {
  if [[ -n "${SETUP_TEST_SUITE:-}" ]]; then
    "$WINESERVER" -p >/dev/null 2>&1 || true
  else
    "$WINESERVER" -p60 >/dev/null 2>&1 || true
  fi
}

# Creates the prefix once; concurrent callers wait on a lock.
wine_prefix_ready() {
  local p=$1
  [[ -f "$p/.ready" ]] && return 0
  mkdir -p "$(dirname "$p")"
  (
    flock 9
    [[ -f "$p/.ready" ]] && exit 0
    rm -rf "$p"
    wine_server_start
    if [[ -z "${DISPLAY:-}" ]]; then
      xvfb-run -a "$WINE" wineboot -i >/dev/null 2>&1 || true
    else
      "$WINE" wineboot -i >/dev/null 2>&1 || true
    fi
    # The shell folders start as links into the real home folder: make them
    # real folders so links and files land inside the prefix.
    local users="$p/drive_c/users"
    for d in "$users"/*/; do
      for f in "$d"*; do
        if [[ -L "$f" ]]; then rm -f "$f"; mkdir -p "$f"; fi
      done
    done
    # Without a window manager every window hide waits about 2 s otherwise.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # Under code page 1252 the dialog font needs a Japanese replacement.
    "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d IPAPGothic /f >/dev/null 2>&1
    # Wine's own Marlett, which draws the caption buttons, is not found in
    # its data folder on this kind of host; from the Fonts folder it is.
    # (Only Marlett: Wine's Tahoma would take over captions and show
    # Japanese titles as empty boxes under the English locale.)
    cp /usr/share/wine/fonts/marlett.ttf "$p/drive_c/windows/Fonts/" 2>/dev/null || true
    touch "$p/.ready"
  ) 9>"$p.lock"
}

# Ends every Wine process whose prefix lies below the given folder, servers
# included, with the given signal (default TERM); other people's Wine
# sessions on the machine are left alone.
wine_end_prefixes_below() {
  local below=$1 signal=${2:--TERM} file pid pids=()
  for file in $(grep -lzs "^WINEPREFIX=$below/" /proc/[0-9]*/environ 2>/dev/null); do
    pid=${file#/proc/}; pid=${pid%/environ}
    [[ $pid == "$$" || $pid == "$BASHPID" ]] || pids+=("$pid")
  done
  ((${#pids[@]})) && kill "$signal" "${pids[@]}" 2>/dev/null
  return 0
}
