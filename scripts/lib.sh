# Shared set-up for the run and test entry points. Sourced, not run.
# Everything here is idempotent: a second call finds the work done and returns.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${TAVROLIN_BUILD:-$ROOT/build}
CAPTURE_DIR=/var/tmp/tavrolin-spool
# Test queues. The CUPS default is deliberately not the first one Wine lists.
QUEUES=("Tavrolin-A" "Tavrolin-B" "测试打印机")
DEFAULT_QUEUE="Tavrolin-B"
# Queues with a driver of CUPS's own, for two-sided printing and colour: "name|model|options".
# The generic PostScript driver can do both once its duplexer (Option1) is installed; the label
# printer's can do neither. Their names sort after Tavrolin-A, which stays the first Wine lists.
DRIVER_QUEUES=("Tavrolin-Duplex|drv:///sample.drv/generic.ppd|Option1=True"
               "Tavrolin-Label|drv:///sample.drv/dymo.ppd|")

export WINEPREFIX=$BUILD/wineprefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=d"
export LANG=zh_CN.UTF-8
export LC_MESSAGES=C

STARTED_PIDS=()

log() { printf '== %s\n' "$*" >&2; }

# The program's version as "8.3" and "8.3.0.0", from the one header that holds it.
version_part() { sed -n "s/^#define TAVROLIN_VERSION_$1 \([0-9]*\).*/\1/p" "$ROOT/common/version.h"; }
VERSION="$(version_part MAJOR).$(version_part MINOR)"
VERSION_FULL="$VERSION.$(version_part PATCH).$(version_part BUILD)"

# install_packages [package ...]: the given Debian packages, or everything the run and test
# commands need (nsis and python3 for the package test).
install_packages() {
    local pkgs=("$@")
    [ ${#pkgs[@]} -gt 0 ] || pkgs=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 xvfb xauth
                cups cups-bsd cups-client fonts-wqy-microhei googletest cmake make locales imagemagick
                x11-utils psmisc procps nsis python3)
    local missing=()
    for p in "${pkgs[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        log "installing ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -q >/dev/null
        apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

ensure_locale() {
    # Without the zh_CN.UTF-8 locale Wine silently falls back to an English code page.
    if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
        log "generating zh_CN.UTF-8"
        sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
        grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
        locale-gen >/dev/null
    fi
}

# The CUPS scheduler is shared by every run, test and bench command on the machine. Each one
# that uses it signs in under $CUPS_USERS; the scheduler one of them started ends only with the
# last of them (end_cups), so two commands side by side never lose their printers mid-run.
CUPS_USERS=/run/tavrolin-cups/users
CUPS_PIDFILE=/run/tavrolin-cups/cupsd.pid
CUPS_LOCK=/run/tavrolin-cups/lock
CUPS_SIGNED_IN=0

start_cups() {
    install -m 0700 "$ROOT/scripts/capture-backend" /usr/lib/cups/backend/tavrolin-capture
    mkdir -p "$CAPTURE_DIR" && chmod 0777 "$CAPTURE_DIR"
    mkdir -p "$CUPS_USERS"
    (
        flock 9
        touch "$CUPS_USERS/$$"
        if ! lpstat -r 2>/dev/null | grep -q 'is running'; then
            log "starting the CUPS scheduler"
            mkdir -p /run/cups
            cupsd -f >/dev/null 2>&1 </dev/null 9>&- &
            echo $! >"$CUPS_PIDFILE"
            for _ in $(seq 50); do lpstat -r 2>/dev/null | grep -q 'is running' && break; sleep 0.2; done
        fi
    ) 9>"$CUPS_LOCK"
    CUPS_SIGNED_IN=1
    local q i=0
    for q in "${QUEUES[@]}"; do
        i=$((i + 1))
        # The device URI must be ASCII (CUPS refuses one that carries the Chinese queue
        # name); the backend tells the queues apart by $PRINTER, not by the URI.
        if ! lpstat -p "$q" >/dev/null 2>&1; then
            lpadmin -p "$q" -E -v "tavrolin-capture:/queue$i" -m raw 2>/dev/null ||
                { echo "could not create the CUPS queue $q" >&2; return 1; }
        fi
        cupsenable "$q" 2>/dev/null; cupsaccept "$q" 2>/dev/null
    done
    local entry model options
    for entry in "${DRIVER_QUEUES[@]}"; do
        IFS='|' read -r q model options <<<"$entry"
        i=$((i + 1))
        if ! lpstat -p "$q" >/dev/null 2>&1; then
            lpadmin -p "$q" -E -v "tavrolin-capture:/queue$i" -m "$model" ${options:+-o "$options"} 2>/dev/null ||
                { echo "could not create the CUPS queue $q" >&2; return 1; }
        fi
        cupsenable "$q" 2>/dev/null; cupsaccept "$q" 2>/dev/null
    done
    lpadmin -d "$DEFAULT_QUEUE"
}

start_display() {
    if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
        local n=99
        while [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
        log "starting Xvfb on :$n"
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        STARTED_PIDS+=($!)
        export DISPLAY=":$n"
        for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.2; done
    fi
}

ensure_prefix() {
    if [ ! -f "$WINEPREFIX/.tavrolin-ready" ]; then
        log "creating the Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        # wineboot returns before the prefix is usable.
        wineserver -w
        # No window manager under Xvfb: unmanaged windows close without a stall.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.tavrolin-ready"
    fi
    # One server for the whole session keeps process start-up short.
    wineserver -p >/dev/null 2>&1 || true  # already running: fine
}

build_all() {
    log "building"
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" >/dev/null
    # A failed build must stop here: tests of the previous build would otherwise run.
    local ok=0
    cmake --build "$BUILD" -j"$(nproc)" -- --no-print-directory >"$BUILD/build.log" 2>&1 || ok=$?
    grep -v '^\[' "$BUILD/build.log" || true
    [ "$ok" -eq 0 ] || { echo "the build failed" >&2; return 1; }
    test -f "$BUILD/tavrolin.exe"
}

register_officesim() {
    if [ -x "$ROOT/officesim/register.sh" ] && [ -f "$BUILD/officesim/officesim.exe" ]; then
        "$ROOT/officesim/register.sh" register
    fi
}

# An Xvfb of one's own on a display number that Xvfb picks itself and reports once it takes
# connections, so several can start side by side without racing for a number.
start_own_display() {
    local number
    number=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
    STARTED_PIDS+=($!)
    for _ in $(seq 100); do [ -s "$number" ] && break; sleep 0.1; done
    [ -s "$number" ] || { echo "Xvfb did not start" >&2; rm -f "$number"; return 1; }
    export DISPLAY=":$(head -n1 "$number")"
    rm -f "$number"
}

# A Wine prefix and an X display for one test program alone: a fresh copy of the prepared
# prefix (officesim registered) under $BUILD/test-prefixes/<name>. Test programs run side by
# side then share no Wine server, process list, registration, call log, default printer or
# keyboard focus; only the CUPS queues are common, and the tests tell their jobs apart by the
# documents' unique names.
isolate_test() {
    local template=$WINEPREFIX
    [ -f "$template/.tavrolin-ready" ] ||
        { echo "no prepared Wine prefix at $template: run scripts/test.sh first" >&2; return 1; }
    TEST_PREFIX=$BUILD/test-prefixes/$1
    rm -rf "$TEST_PREFIX"
    mkdir -p "$BUILD/test-prefixes"
    cp -a "$template" "$TEST_PREFIX"
    export WINEPREFIX=$TEST_PREFIX
    start_own_display
}

# Ends what isolate_test started; the prefix copy goes too unless the program failed, so
# its call log and temporary files can still be read.
end_isolated_test() {
    local rc=$1
    cleanup
    wineserver -w >/dev/null 2>&1 || true
    [ "$rc" -ne 0 ] || rm -rf "$TEST_PREFIX"
}

end_strays() {
    # A server whose client died stays alive; end ours (this prefix's) by process id.
    local pid
    for pid in $(pgrep -f 'officesim\.exe'); do
        if tr '\0' '\n' 2>/dev/null < "/proc/$pid/environ" | grep -qx "WINEPREFIX=$WINEPREFIX"; then
            kill "$pid" 2>/dev/null || true
        fi
    done
}

# Signs this command out of the shared scheduler and ends it when no other user is left (a
# user whose process is gone no longer counts).
end_cups() {
    [ "$CUPS_SIGNED_IN" = 1 ] || return 0
    CUPS_SIGNED_IN=0
    (
        flock 9
        rm -f "$CUPS_USERS/$$"
        local f
        for f in "$CUPS_USERS"/*; do
            [ -e "$f" ] || continue
            kill -0 "$(basename "$f")" 2>/dev/null || rm -f "$f"
        done
        if [ -z "$(ls -A "$CUPS_USERS" 2>/dev/null)" ] && [ -s "$CUPS_PIDFILE" ]; then
            local pid
            pid=$(cat "$CUPS_PIDFILE")
            if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = cupsd ]; then
                kill "$pid" 2>/dev/null || true
                for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
            fi
            rm -f "$CUPS_PIDFILE"
        fi
    ) 9>"$CUPS_LOCK"
}

cleanup() {
    end_strays
    wineserver -k >/dev/null 2>&1 || true
    local p
    for p in "${STARTED_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
    # Only what this command started is waited for: the scheduler may outlive it.
    [ ${#STARTED_PIDS[@]} -eq 0 ] || wait "${STARTED_PIDS[@]}" 2>/dev/null || true
    end_cups
}

prepare_all() {
    install_packages
    ensure_locale
    start_cups
    start_display
    build_all
    ensure_prefix
    register_officesim
}
