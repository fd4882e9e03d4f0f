#!/usr/bin/env bash
# Installs what is missing, builds, and starts Zentrel. With no serial
# hardware present, a simulated device (a Pelvox2 unless told otherwise) is
# pinned as port 1 first, and ends with the program.
#
#   scripts/run.sh                  simulator only when there is no serial hardware
#   scripts/run.sh --sim wendlo     always, with this family (pelvox2, pelvoxhd,
#                                   wendlo, orbalite, showctl)
#   scripts/run.sh --no-sim         never
set -euo pipefail
cd "$(dirname "$0")/.."

mode=auto
family=pelvox2
while [ $# -gt 0 ]; do
    case "$1" in
        --sim) mode=always; family="${2:?--sim needs a family}"; shift 2 ;;
        --sim=*) mode=always; family="${1#--sim=}"; shift ;;
        --no-sim) mode=never; shift ;;
        -h|--help) sed -n '2,9s/^# \{0,1\}//p' "$0"; exit 0 ;;
        *) echo "run.sh: unknown option $1 (try --help)" >&2; exit 2 ;;
    esac
done

scripts/deps.sh
scripts/build.sh

appdir=build/dev
program="$appdir/zentrel"
sim_port=1

# Serial hardware worth talking to: a port already pinned to something that
# exists (an adapter, or a simulator already running), or a USB or ACM
# adapter. Built-in UARTs (ttyS*) do not count: PCs and virtual machines
# report them whether or not anything is plugged in, and they keep their
# numbers, one up, beside the simulator.
serial_hardware_present() {
    local link device
    for link in "$appdir"/ports/COM*; do
        [ -e "$link" ] && return 0
    done
    for device in /dev/ttyUSB* /dev/ttyACM*; do
        [ -c "$device" ] && return 0
    done
    return 1
}

# A first run selects the simulator's port, so the panels work at once; a
# port the user has chosen before is left alone.
select_sim_port_if_unset() {
    local ini="$appdir/Zentrel.ini"
    if [ ! -e "$ini" ]; then
        printf 'Port: %s\r\nView: Standard\r\nString 1: \r\nString 2: \r\nString 3: \r\nString 4: \r\nString 5: \r\n' \
            "$sim_port" >"$ini"
    else
        sed -i "1s/^Port: \r\{0,1\}\$/Port: $sim_port\r/" "$ini"
    fi
}

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
    echo "run.sh: no display found; on a machine without one try: xvfb-run -a scripts/run.sh" >&2
fi

if [ "$mode" = never ] || { [ "$mode" = auto ] && serial_hardware_present; }; then
    exec "$program"
fi

"$appdir/zentrel-sim" --family "$family" --port "$sim_port" --dir "$appdir" &
sim_pid=$!
trap 'kill -TERM "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    [ -e "$appdir/ports/COM$sim_port" ] && break
    kill -0 "$sim_pid" 2>/dev/null || exit 1
    sleep 0.1
done
select_sim_port_if_unset

status=0
"$program" || status=$?
exit "$status"
