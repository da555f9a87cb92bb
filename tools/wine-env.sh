# Wine environment for running the Windows build here. Source it, then:
#
#   vx_wine_start          make sure prefix, display and wineserver are up; exports WINEPREFIX,
#                          WINEDEBUG, WINEDLLOVERRIDES, WINEARCH and DISPLAY
#   vx_wine EXE [ARGS...]  run a Windows program; stdout, stderr and exit code pass through
#   vx_wine_stop           stop the wineserver (and with it every program in the prefix) and
#                          the private Xvfb
#   vx_cache_dir           print the cache directory; our state is in its wine/ folder
#
# What stays alive between runs, and why:
# - one prefix of our own under the cache dir (creating one costs ~10 s);
# - one private Xvfb when the caller has no DISPLAY (CreateWindowEx fails without one); its
#   number and pid are recorded, and a display is ours only while that very pid serves it;
# - one persistent wineserver, so a program starts in tens of milliseconds instead of seconds.
# Daemons run in their own session with every descriptor closed or on /dev/null. The first
# Wine process after a server start hands its standard error on to the services it starts,
# which live as long as the server and would keep a caller's pipe open: that first process is
# always our own wineboot, with its output on /dev/null.
#
# The already-running path uses shell builtins only (well under a millisecond). Everything
# that creates or starts something runs under one flock, so concurrent callers neither build
# the prefix twice nor start two displays or servers. Safe under set -euo pipefail.

VX_WINE64=/usr/lib/wine/wine64
VX_WINESERVER64=/usr/lib/wine/wineserver64

vx_cache_dir() {
  printf '%s\n' "${VEXLET_CACHE:-$HOME/.cache/vexlet}"
}

# True when process $1 exists and is no zombie (kill -0 would still succeed on one).
_vx_pid_running() {
  local stat
  [[ $1 =~ ^[0-9]+$ ]] || return 1
  read -r stat 2>/dev/null <"/proc/$1/stat" || return 1
  stat=${stat##*) }
  [[ ${stat%% *} != [ZX] ]]
}

# True when process $1 runs and its command name is $2, so that a reused pid does not count.
_vx_pid_is() {
  local comm
  _vx_pid_running "$1" || return 1
  read -r comm 2>/dev/null <"/proc/$1/comm" || return 1
  [[ $comm == "$2" ]]
}

# True when the X server of display number $1 runs (its lock file holds its pid) and, when $2
# is given, is the one with that pid: a number we used may since belong to someone else.
_vx_display_alive() {
  local pid
  [[ -r /tmp/.X$1-lock ]] || return 1
  read -r pid 2>/dev/null <"/tmp/.X$1-lock" || return 1
  [[ -z ${2-} || $pid == "$2" ]] && _vx_pid_is "$pid" Xvfb
}

# True when the caller's DISPLAY is to be used: set, not the record of our own Xvfb ($1), and,
# for a local display, with its socket still there (an environment kept from an earlier run can
# name a display that is gone; a private one serves better than none).
_vx_display_is_callers() {
  local display=${DISPLAY-}
  [[ -n $display ]] || return 1
  [[ -n $1 && $display == ":$1" ]] && return 1
  if [[ $display =~ ^(unix)?:([0-9]+)(\.[0-9]+)?$ ]]; then
    [[ -S /tmp/.X11-unix/X${BASH_REMATCH[2]} ]] || return 1
  fi
  return 0
}

_vx_server_alive() {
  local pid
  [[ -r $1/server.pid ]] || return 1
  read -r pid 2>/dev/null <"$1/server.pid" || return 1
  _vx_pid_is "$pid" wineserver64
}

# Runs a command with its three standard streams on /dev/null and every other descriptor
# closed. Wine hands open descriptors on to the services it starts, and those live as long as
# the server: a caller's pipe or our lock must not be among them.
_vx_quiet() {
  bash -c 'for fd in /proc/$$/fd/*; do fd=${fd##*/}; ((fd > 2)) && eval "exec $fd>&-"; done
    exec "$@"' _ "$@" </dev/null >/dev/null 2>&1
}

# Starts a command as a daemon in the way of _vx_quiet, writing its pid to $1. setsid -f puts it
# in a session of its own whose parent exits at once, so it outlives the caller and init reaps
# it; bash execs into the command, so the recorded pid is the daemon's own.
_vx_spawn_daemon() {
  local pidfile=$1
  shift
  setsid -f bash -c 'echo $$ >"$1"; shift
    for fd in /proc/$$/fd/*; do fd=${fd##*/}; ((fd > 2)) && eval "exec $fd>&-"; done
    exec "$@"' _ "$pidfile" "$@" </dev/null >/dev/null 2>&1
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
      if [[ -S /tmp/.X11-unix/X$n ]] && read -r pid 2>/dev/null <"$state/xvfb.pid" &&
        _vx_display_alive "$n" "$pid"; then
        printf '%s %s\n' "$n" "$pid" >"$state/display"
        printf '%s' "$n"
        return 0
      fi
      if read -r pid 2>/dev/null <"$state/xvfb.pid" && ! _vx_pid_running "$pid"; then
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
  # A server we did not start (one that a bare wine64 started after ours had stopped) holds the
  # prefix's lock. It ends by itself soon after its last program, so give its programs a
  # while to finish before ending it.
  _vx_quiet timeout 10 "$VX_WINESERVER64" -w || { _vx_quiet "$VX_WINESERVER64" -k; _vx_quiet "$VX_WINESERVER64" -w; }
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
  local state=$1 recorded= recorded_pid= n
  [[ -r $state/display ]] && read -r recorded recorded_pid <"$state/display"
  if ! _vx_display_is_callers "$recorded"; then
    if [[ -n $recorded_pid ]] && _vx_display_alive "$recorded" "$recorded_pid"; then
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
  local state=${VEXLET_CACHE:-$HOME/.cache/vexlet}/wine recorded= recorded_pid= lock_fd rc
  export WINEPREFIX=$state/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64

  # Fast path, builtins only: prefix ready, server and display alive.
  if [[ -f $WINEPREFIX/.vexlet-settings-applied ]] && _vx_server_alive "$state"; then
    [[ -r $state/display ]] && read -r recorded recorded_pid <"$state/display"
    _vx_display_is_callers "$recorded" && return 0
    if [[ -n $recorded_pid ]] && _vx_display_alive "$recorded" "$recorded_pid"; then
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
  if [[ -r $state/display ]] && read -r n pid <"$state/display" && [[ -n $pid ]] &&
    _vx_display_alive "$n" "$pid"; then
    kill "$pid" 2>/dev/null
    for ((tries = 0; tries < 250; tries++)); do
      _vx_pid_running "$pid" || break
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
