# Wine environment for running the Windows build here. Source it, then:
#
#   vx_wine_start          make sure prefix, display and wineserver are up; exports the environment
#   vx_wine EXE [ARGS...]  run a Windows program; stdout, stderr and exit code pass through
#   vx_wine_stop           stop the wineserver and the private Xvfb
#   vx_cache_dir           print the cache directory (prefix, display record, locks)
#
# What stays alive between runs, and why:
# - one prefix of our own under the cache dir (creating one costs ~10 s);
# - one private Xvfb when the caller has no DISPLAY (CreateWindowEx fails without one);
# - one persistent wineserver, so each program starts in ~0.1 s instead of booting Wine.
# Both daemons are started in their own session with every stream on /dev/null: the first
# Wine process after a server start leaves services holding its stdout, which would keep a
# caller's pipe open forever. That first process is therefore always our own wineboot.
#
# The already-running path uses shell builtins only, so it costs about a millisecond.
# Everything that creates or starts something runs under one flock, so concurrent callers
# neither build the prefix twice nor start two displays or servers.

VX_WINE64=/usr/lib/wine/wine64
VX_WINESERVER64=/usr/lib/wine/wineserver64

vx_cache_dir() {
  printf '%s\n' "${VEXLET_CACHE:-$HOME/.cache/vexlet}"
}

# True when process $1 exists and its command name is $2 (guards against reused pids).
_vx_pid_is() {
  local comm
  [[ -n $1 && $1 =~ ^[0-9]+$ ]] || return 1
  kill -0 "$1" 2>/dev/null || return 1
  read -r comm <"/proc/$1/comm" 2>/dev/null || return 1
  [[ $comm == "$2" ]]
}

# True when the X server of display number $1 runs (its lock file holds its pid).
_vx_display_alive() {
  local pid
  [[ -r /tmp/.X$1-lock ]] || return 1
  read -r pid <"/tmp/.X$1-lock" 2>/dev/null || return 1
  _vx_pid_is "$pid" Xvfb
}

# Our private display number, when we have one and it is alive.
_vx_own_display() {
  local n
  [[ -r $1/display ]] || return 1
  read -r n <"$1/display" 2>/dev/null || return 1
  _vx_display_alive "$n" && printf '%s' "$n"
}

_vx_server_alive() {
  local pid
  [[ -r $1/server.pid ]] || return 1
  read -r pid <"$1/server.pid" 2>/dev/null || return 1
  _vx_pid_is "$pid" wineserver64
}

# Runs a command with its three standard streams on /dev/null and every other descriptor
# closed. Wine hands open descriptors on to the services it starts, and those live as long as
# the server: a caller's pipe or our lock must not be among them.
_vx_quiet() {
  bash -c 'for fd in /proc/$$/fd/*; do fd=${fd##*/}; ((fd > 2)) && eval "exec $fd>&-"; done
    exec "$@"' _ "$@" </dev/null >/dev/null 2>&1
}

# Starts a command as a daemon in its own session, in the way of _vx_quiet, writing its pid
# to $1. bash execs into the command, so the recorded pid is the daemon's own.
_vx_spawn_daemon() {
  local pidfile=$1
  shift
  setsid bash -c 'echo $$ >"$1"; shift
    for fd in /proc/$$/fd/*; do fd=${fd##*/}; ((fd > 2)) && eval "exec $fd>&-"; done
    exec "$@"' _ "$pidfile" "$@" </dev/null >/dev/null 2>&1 &
}

# Starts a private Xvfb on the first free display from :77 on; prints its number.
_vx_start_xvfb() {
  local state=$1 n tries pid
  for ((n = 77; n < 177; n++)); do
    _vx_display_alive "$n" && continue
    [[ -S /tmp/.X11-unix/X$n ]] && ! [[ -e /tmp/.X$n-lock ]] && continue  # someone else's socket
    rm -f "$state/xvfb.pid"
    _vx_spawn_daemon "$state/xvfb.pid" Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp
    # Xvfb writes its lock first and creates the socket when it accepts clients.
    for ((tries = 0; tries < 500; tries++)); do
      if [[ -S /tmp/.X11-unix/X$n ]] && _vx_display_alive "$n"; then
        printf '%s\n' "$n" >"$state/display"
        printf '%s' "$n"
        return 0
      fi
      if ((tries > 5)) && read -r pid <"$state/xvfb.pid" 2>/dev/null && ! kill -0 "$pid" 2>/dev/null; then
        break  # it gave up on this number
      fi
      sleep 0.02
    done
    # Another server may have won the number in the meantime: try the next one.
  done
  echo "vx_wine_start: cannot start Xvfb" >&2
  return 1
}

# Starts the persistent wineserver for WINEPREFIX and waits until it accepts clients.
_vx_start_server() {
  local state=$1 tries pid
  # A server we did not start (an auto-started, non-persistent one) would hold the prefix's
  # lock; the prefix is ours alone, so end it first.
  _vx_quiet "$VX_WINESERVER64" -k && _vx_quiet "$VX_WINESERVER64" -w
  # -f: a server that forked itself away would leave us a dead pid.
  _vx_spawn_daemon "$state/server.pid" "$VX_WINESERVER64" -f -p
  # The server works in its own directory (where Wine puts it differs between builds) and
  # creates its socket there once it accepts clients.
  for ((tries = 0; tries < 500; tries++)); do
    if _vx_server_alive "$state" && read -r pid <"$state/server.pid" && [[ -S /proc/$pid/cwd/socket ]]; then
      return 0
    fi
    sleep 0.02
  done
  echo "vx_wine_start: the wineserver did not start" >&2
  return 1
}

# Creates the prefix and applies our settings once; the stamp lives inside the prefix, so a
# deleted prefix is rebuilt.
_vx_init_prefix() {
  local reg=$WINEPREFIX/vexlet-settings.reg
  _vx_quiet "$VX_WINE64" wineboot.exe --init || {
    echo "vx_wine_start: wineboot --init failed" >&2
    return 1
  }
  # Managed=N: without a window manager, hiding a managed window stalls 2 s.
  # ShowCrashDialog=0: a crash must end the program, not open a dialog that waits forever.
  # Audio="": there is no sound device; this silences the driver's probing.
  cat >"$reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Audio"=""
EOF
  _vx_quiet "$VX_WINE64" regedit.exe /S 'Z:'"${reg//\//\\}" || {
    echo "vx_wine_start: importing the prefix settings failed" >&2
    return 1
  }
  # Tahoma, MS Sans Serif, System… are what dialogs ask for.
  cp -f /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon \
    "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
  # The server keeps the registry in memory; have it written to disk now.
  _vx_quiet "$VX_WINESERVER64" -k && _vx_quiet "$VX_WINESERVER64" -w
  touch "$WINEPREFIX/.vexlet-settings-applied"
}

# The part of vx_wine_start that creates or starts things; runs under the lock.
_vx_start_locked() {
  local state=$1 recorded= n
  [[ -r $state/display ]] && read -r recorded <"$state/display"
  # A DISPLAY that names our own (perhaps dead) Xvfb is ours to restart; any other is the caller's.
  if [[ -z ${DISPLAY-} || ( -n $recorded && ${DISPLAY-} == ":$recorded" ) ]]; then
    if [[ -n $recorded ]] && _vx_display_alive "$recorded"; then
      export DISPLAY=:$recorded
    else
      n=$(_vx_start_xvfb "$state") || return 1
      export DISPLAY=:$n
      # Wine's desktop process stays bound to the display it first saw: start the server anew.
      if _vx_server_alive "$state"; then
        _vx_quiet "$VX_WINESERVER64" -k && _vx_quiet "$VX_WINESERVER64" -w
      fi
    fi
  fi
  if [[ ! -f $WINEPREFIX/.vexlet-settings-applied ]]; then
    _vx_start_server "$state" && _vx_init_prefix || return 1
  fi
  if ! _vx_server_alive "$state"; then
    _vx_start_server "$state" || return 1
    # The first process after a server start takes over the services; let it be ours,
    # with its output on /dev/null.
    _vx_quiet "$VX_WINE64" wineboot.exe
  fi
  return 0
}

vx_wine_start() {
  local state=${VEXLET_CACHE:-$HOME/.cache/vexlet}/wine recorded= lock_fd rc
  export WINEPREFIX=$state/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64

  # Fast path, builtins only: prefix ready, server and display alive.
  if [[ -f $WINEPREFIX/.vexlet-settings-applied ]] && _vx_server_alive "$state"; then
    [[ -r $state/display ]] && read -r recorded <"$state/display"
    if [[ -n ${DISPLAY-} && ${DISPLAY-} != ":$recorded" ]]; then
      return 0
    fi
    if [[ -n $recorded ]] && _vx_display_alive "$recorded"; then
      export DISPLAY=:$recorded
      return 0
    fi
  fi

  mkdir -p "$WINEPREFIX" || return 1
  exec {lock_fd}>"$state/lock" || return 1
  if ! flock -w 300 "$lock_fd"; then
    exec {lock_fd}>&-
    echo "vx_wine_start: timed out waiting for $state/lock" >&2
    return 1
  fi
  _vx_start_locked "$state"
  rc=$?
  exec {lock_fd}>&-
  return $rc
}

vx_wine_stop() {
  local state=${VEXLET_CACHE:-$HOME/.cache/vexlet}/wine n pid lock_fd tries
  export WINEPREFIX=$state/prefix
  [[ -d $state ]] || return 0
  exec {lock_fd}>"$state/lock" || return 1
  flock -w 300 "$lock_fd"
  if _vx_server_alive "$state"; then
    _vx_quiet "$VX_WINESERVER64" -k
    _vx_quiet "$VX_WINESERVER64" -w
  fi
  rm -f "$state/server.pid"
  if n=$(_vx_own_display "$state"); then
    read -r pid <"/tmp/.X$n-lock"
    kill "$pid" 2>/dev/null
    for ((tries = 0; tries < 250; tries++)); do
      _vx_pid_is "$pid" Xvfb || break
      sleep 0.02
    done
    [[ ${DISPLAY-} == ":$n" ]] && unset DISPLAY
  fi
  rm -f "$state/display" "$state/xvfb.pid"
  exec {lock_fd}>&-
  return 0
}

vx_wine() {
  vx_wine_start || return 1
  "$VX_WINE64" "$@"
}
