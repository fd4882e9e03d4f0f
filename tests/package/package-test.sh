#!/usr/bin/env bash
# Builds the Debian package and checks it as a user meets it: lintian, the
# AppStream metadata and the manual pages validate; `apt-get install` pulls in
# what it needs; run by an ordinary user on a virtual display, Play reaches the
# simulator and its answer the log, read back through Save Log; a purge leaves
# nothing behind under /usr, /etc and /var. As root: `scripts/test.sh --package`.
set -euo pipefail
cd "$(dirname "$0")/../.."

user=zentrel-ci
sim_port=1
# The few lintian tags allowed to stay, each for a reason:
#   initial-upload-closes-no-bugs: there is no Debian bug to close, since the
#     package is not meant for the Debian archive.
kept_tags='initial-upload-closes-no-bugs'

step() { echo "== $*"; }
fail() {
    echo "package-test: $*" >&2
    exit 1
}

[ "$(id -u)" -eq 0 ] || fail "needs root: it installs and removes the package"

apt_get() {
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 -y -qq "$@"
}

scripts/deps.sh --package-test

# --- cleanup, whatever happens -----------------------------------------------
work="$(mktemp -d /tmp/zentrel-package-test.XXXXXX)"
pids=()
installed_here=false
pulled_in=()
cleanup() {
    local status=$? pid
    for pid in "${pids[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
    done
    sleep 0.5
    for pid in "${pids[@]}"; do
        kill -KILL "$pid" 2>/dev/null || true
    done
    if [ "$installed_here" = true ] && dpkg-query -W zentrel >/dev/null 2>&1; then
        apt_get remove --purge zentrel "${pulled_in[@]}" >/dev/null || true
    fi
    rm -rf "$work"
    [ "$status" -eq 0 ] && echo "== Package test passed" || echo "== Package test FAILED" >&2
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# --- build and check ---------------------------------------------------------
step "Building the package"
scripts/package.sh | tail -n 1
debs=(build/zentrel_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one build/zentrel_*.deb, found: ${debs[*]}"
deb="${debs[0]}"

step "lintian $deb"
lintian --pedantic --info "$deb" >"$work/lintian" 2>&1 || true
grep -E '^[EWIPX]: ' "$work/lintian" || true
if grep -E '^[EW]: ' "$work/lintian" | grep -vwE "$kept_tags" | grep -q .; then
    fail "lintian reports errors or warnings beyond those kept"
fi

dpkg-deb -x "$deb" "$work/unpacked"
root="$work/unpacked"
step "appstreamcli validate"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
for page in zentrel zentrel-sim; do
    step "man --warnings $page(1)"
    LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l \
        "$root/usr/share/man/man1/$page.1.gz" 2>"$work/man-$page" >/dev/null
    cat "$work/man-$page"
    [ ! -s "$work/man-$page" ] || fail "man warns about $page(1)"
done

# --- install -----------------------------------------------------------------
list_system() {
    # Package manager state, caches and logs change with every install and
    # are none of the package's files.
    find /usr /etc /var \
        \( -path /var/cache -o -path /var/log -o -path /var/lib/apt -o -path /var/lib/dpkg \
        -o -path /var/tmp -o -path /var/backups -o -path /var/lib/systemd -o -path /var/mail \
        -o -path /var/spool \) -prune -o -print | LC_ALL=C sort
}
list_packages() { dpkg-query -W -f='${binary:Package}\n' | LC_ALL=C sort; }

# The user first: adding one changes /etc.
id "$user" >/dev/null 2>&1 || useradd -m "$user"
if dpkg-query -W -f='${Status}' zentrel 2>/dev/null | grep -q "install ok installed"; then
    fail "zentrel is installed already; remove it first (apt-get remove --purge zentrel)"
fi
step "Listing /usr /etc /var before installing"
list_system >"$work/before"
list_packages >"$work/packages-before"

step "apt-get install ./$deb"
installed_here=true
apt_get install "./$deb" >/dev/null
list_packages >"$work/packages-after"
mapfile -t pulled_in < <(LC_ALL=C comm -13 "$work/packages-before" "$work/packages-after" | grep -vx 'zentrel:.*\|zentrel')
[ ${#pulled_in[@]} -eq 0 ] || echo "pulled in: ${pulled_in[*]}"
for program in /usr/bin/zentrel /usr/bin/zentrel-sim; do
    [ "$(dpkg -S "$program" 2>/dev/null | cut -d: -f1)" = zentrel ] || fail "$program is not the package's"
done

# --- run it as an ordinary user -----------------------------------------------
home="$(getent passwd "$user" | cut -d: -f6)"
data="$home/.local/share/Zentrel"
runtime="$work/runtime" saved_dir="$work/saved"
chmod 0711 "$work"
install -d -m 0700 -o "$user" -g "$(id -gn "$user")" "$runtime" "$saved_dir"

# setpriv and env exec what follows, so the pid of a command started in the
# background is the pid of the program itself.
as_user_prefix=(setpriv --reuid="$user" --regid="$user" --init-groups
    env -i HOME="$home" USER="$user" LOGNAME="$user" PATH=/usr/bin:/bin LANG=C.UTF-8
    XDG_RUNTIME_DIR="$runtime")
as_user() { "${as_user_prefix[@]}" ${DISPLAY:+DISPLAY="$DISPLAY"} "$@"; }
# In the background, its output to $1; its pid goes to pids, to end it by.
spawn_as_user() {
    local output="$1"
    shift
    "${as_user_prefix[@]}" ${DISPLAY:+DISPLAY="$DISPLAY"} "$@" >"$output" 2>&1 &
    pids+=($!)
}
# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
    local tenths="$1"
    shift
    for _ in $(seq "$tenths"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

step "Xvfb, the simulator and the program, as $user"
# What an interrupted earlier run left: programs still running as the test's
# own user, and the simulator's link.
for pid in $(pgrep -u "$user" || true); do
    kill -KILL "$pid" 2>/dev/null || true
done
rm -f "$data/ports/COM$sim_port"
"${as_user_prefix[@]}" Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 \
    3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for 100 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(cat "$work/display")"

spawn_as_user "$work/sim.log" /usr/bin/zentrel-sim --family pelvox2 --port "$sim_port"
wait_for 100 grep -q "on port $sim_port" "$work/sim.log" || fail "the simulator did not start: $(cat "$work/sim.log")"
link="$data/ports/COM$sim_port"
[ -L "$link" ] || fail "the installed simulator did not pin $link: $(cat "$work/sim.log")"

# A first run that selects the simulator's port, as scripts/run.sh makes it.
as_user sh -c "printf 'Port: %s\r\nView: Standard\r\nString 1: \r\nString 2: \r\nString 3: \r\nString 4: \r\nString 5: \r\n' $sim_port >'$data/Zentrel.ini'"

spawn_as_user "$work/zentrel.log" /usr/bin/zentrel
zentrel_pid=$!
# Searched afresh until found: a window that closes while xdotool walks the
# tree (the splash, as the main window opens) makes that search fail.
find_window() {
    window="$(as_user xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)" && [ -n "$window" ]
}
wait_for 300 find_window '^Zentrel Vorlinker$' || true
[ -n "$window" ] || fail "no main window: $(cat "$work/zentrel.log")"
eval "$(as_user xdotool getwindowgeometry --shell "$window")"
# Controls stand where their tables put them, 15 twips to the pixel: the
# Pelvox2 panel at (240, 3960), its Play button at (120, 520) 855 x 315 in
# it; Save Log at (1080, 3000) 855 x 255 in the window.
click() {
    as_user xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1
}
step "Pressing Play on the Pelvox2 panel"
click $(((240 + 120 + 855 / 2) / 15)) $(((3960 + 520 + 315 / 2) / 15))
wait_for 100 grep -q "the program has read the reply" "$work/sim.log" ||
    fail "no Play request reached the simulator: $(cat "$work/sim.log")"
grep -q 'PL play -> R<0D>' "$work/sim.log" || fail "the simulator did not get Play: $(cat "$work/sim.log")"

step "Save Log, through the file dialog"
saved="$saved_dir/session.log"
click $(((1080 + 855 / 2) / 15)) $(((3000 + 255 / 2) / 15))
wait_for 200 find_window '^Save' || fail "no save dialog"
as_user xdotool windowfocus --sync "$window"
sleep 0.5
as_user xdotool type --delay 20 "$saved"
as_user xdotool key Return
wait_for 100 test -s "$saved" || fail "Save Log wrote nothing to $saved"
cat "$saved"
echo
grep -q "Receiving: R" "$saved" || fail "the saved log lacks the simulator's answer"

kill -TERM "$zentrel_pid"
wait_for 100 sh -c "! kill -0 $zentrel_pid 2>/dev/null" || fail "the program did not end on SIGTERM"
[ -f "$data/Zentrel.ini" ] || fail "no settings in the user's data folder"
for stray in /usr/bin/Zentrel.ini /usr/bin/ports; do
    [ ! -e "$stray" ] || fail "the installed copy wrote $stray"
done
for pid in "${pids[@]}"; do
    kill -TERM "$pid" 2>/dev/null || true
done
wait 2>/dev/null || true
pids=()

# --- purge ---------------------------------------------------------------------
step "apt-get remove --purge zentrel ${pulled_in[*]}"
apt_get remove --purge zentrel "${pulled_in[@]}" >/dev/null
installed_here=false
list_system >"$work/after"
if ! diff -u "$work/before" "$work/after"; then
    fail "the purge left the system other than it was (above)"
fi
[ -d "$data" ] || fail "the purge took the user's data folder"
