# Shared by scripts/run and scripts/test: installs what a fresh Debian 12
# machine lacks, and prepares the builds and the Wine prefix.
# Sourced; expects ROOT to be the source tree.

QUAVREL_PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev googletest
  g++-mingw-w64-i686 gcc-multilib wine wine32:i386 wine64 xvfb xdotool imagemagick
  locales python3 python3-mido fonts-dejavu-core help2man lintian dpkg-dev file)

log() { printf '== %s\n' "$*" >&2; }

ensure_packages() {
  local missing=()
  for pkg in "${QUAVREL_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  if ((${#missing[@]})); then
    log "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
      $sudo dpkg --add-architecture i386
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
  # Wine takes its ANSI code page from the locale: ru_RU.UTF-8 gives 1251.
  if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
    log "generating the ru_RU.UTF-8 locale"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo sed -i 's/^# *ru_RU.UTF-8 UTF-8/ru_RU.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen >/dev/null
  fi
}

# configure_build DIR [cmake args...]: configures once, then only builds.
configure_build() {
  local dir=$1
  shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1 || {
      cat "$dir.configure.log" >&2
      return 1
    }
  fi
}

build_native() {
  mkdir -p "$ROOT/build"
  configure_build "$ROOT/build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo && cmake --build "$ROOT/build/native"
}

build_sanitize() {
  configure_build "$ROOT/build/sanitize" -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DQUAVREL_SANITIZE=ON -DQUAVREL_FUZZ=ON && cmake --build "$ROOT/build/sanitize"
}

build_windows() {
  configure_build "$ROOT/build/windows" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" && cmake --build "$ROOT/build/windows"
}

# The Wine prefix the Windows programs run in: 32-bit, windows managed by
# Wine itself (no window manager needed, instant exit), no crash dialog.
wine_env() {
  export WINEPREFIX="$ROOT/build/wineprefix" WINEARCH=win32 WINEDEBUG=-all
  export LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
  if [ ! -f "$WINEPREFIX/.quavrel-ready" ]; then
    log "preparing the Wine prefix"
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.quavrel-ready"
  fi
}

# Starts Xvfb on a free display; sets DISPLAY and XVFB_PID.
start_xvfb() {
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && return 0
    sleep 0.1
  done
  log "Xvfb did not start"
  return 1
}

stop_xvfb() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  XVFB_PID=""
}
