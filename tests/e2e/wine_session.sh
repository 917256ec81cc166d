# Sourced by the end-to-end scripts: a throwaway Wine prefix with a demo
# simulator installation, shown on an Xvfb display (or the user's own) inside
# Wine's virtual desktop, which draws the captions and close boxes that a bare
# X server has no window manager for.
#
# Needs: e2e_dir (the folder for the prefix, runs and screenshots).
# Gives: WINEPREFIX, DISPLAY, app_data_unix, fsx_unix, start_wine_session,
# end_wine_session, start_ravelo, wait_for_exit, window_state, wait_for_state,
# screenshot, press, type_text.

export WINEPREFIX="$e2e_dir/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine_user=$(id -un)
app_data_unix="$WINEPREFIX/drive_c/users/$wine_user/AppData/Roaming"
app_data_windows="C:\\users\\$wine_user\\AppData\\Roaming"
fsx_unix="$WINEPREFIX/drive_c/FSX"
fsx_windows='C:\FSX\'
xvfb_pid=""

wine_cmd() { # every Wine run on one core and under a time limit
    taskset -c 0 timeout 60 wine "$@" </dev/null >/dev/null 2>&1
}

plant_simulator() {
    mkdir -p "$fsx_unix/Vok/Gauges" "$fsx_unix/Modules" "$app_data_unix/Microsoft/FSX"
    printf 'Vok add-on, demo installation\r\n' >"$fsx_unix/Vok/readme.txt"
    printf 'gauge\x00\x01\x02\r\n\x1a' >"$fsx_unix/Vok/Gauges/vok_gauge.gau"
    printf 'MZ demo module' >"$fsx_unix/Modules/vok_module.dll"
    printf '<?xml version="1.0"?>\r\n<SimBase.Document Type="Launch">\r\n</SimBase.Document>\r\n' \
        >"$app_data_unix/Microsoft/FSX/dll.xml"
    printf '[Main]\r\nUser Objects=Airplane\r\n' >"$app_data_unix/Microsoft/FSX/fsx.cfg"
    # A 32-bit program reads the 32-bit view of the registry.
    wine_cmd reg add 'HKLM\Software\Microsoft\Microsoft Games\Flight Simulator\10.0' \
        /v SetupPath /t REG_SZ /d "$fsx_windows" /reg:32 /f
}

make_prefix() {
    rm -rf "$WINEPREFIX"
    mkdir -p "$e2e_dir"
    taskset -c 0 timeout 120 wineboot -i >/dev/null 2>&1
    # The desktop is chosen when the first program of a session starts, so
    # these keys are written before the session that runs Ravelo begins.
    wine_cmd reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
    wine_cmd reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f
    plant_simulator
    timeout 30 wineserver -w
}

start_xvfb() {
    local display_file="$e2e_dir/display"
    rm -f "$display_file"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" \
        >"$e2e_dir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$display_file" ] && break
        sleep 0.1
    done
    if [ ! -s "$display_file" ]; then
        echo "Xvfb did not start:" >&2
        cat "$e2e_dir/xvfb.log" >&2
        exit 1
    fi
    export DISPLAY=":$(head -n1 "$display_file")"
}

start_wine_session() { # [own display]: without it, a private Xvfb
    make_prefix
    [ "${1:-}" = own-display ] || start_xvfb
    taskset -c 0 wineserver -p
    # Wine's services start now, not inside a run whose output we read.
    wine_cmd wineboot
}

end_wine_session() {
    wineserver -k 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}

# start_ravelo FOLDER: runs Ravelo.exe with FOLDER (under drive_c) as its
# current directory; its exit code lands in FOLDER.exit.
start_ravelo() {
    local folder=$1
    rm -rf "$folder" "$folder.exit" "$folder.pid"
    mkdir -p "$folder"
    (cd "$folder"
     taskset -c 0 timeout 120 wine "$ravelo_exe" </dev/null >"$folder.log" 2>&1 &
     echo $! >"$folder.pid"
     wait $!
     echo $? >"$folder.exit.tmp" && mv "$folder.exit.tmp" "$folder.exit") &
}

# wait_for_exit FOLDER: the exit code; "timeout" (and the run is ended) when
# it has not ended within 20 seconds.
wait_for_exit() {
    local folder=$1
    for _ in $(seq 200); do
        if [ -f "$folder.exit" ]; then
            cat "$folder.exit"
            return
        fi
        sleep 0.1
    done
    kill "$(cat "$folder.pid")" 2>/dev/null
    wait_for_state none 10 || true
    echo timeout
}

# The visible top-level windows as a sorted list of kinds joined by "+":
# consent, form, completion (the captioned dialogs, told apart by height)
# and box (an untitled window: a warning box or the progress window).
window_state() {
    local kinds=() window name size width height
    for window in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
        name=$(xdotool getwindowname "$window" 2>/dev/null) || continue
        size=$(xdotool getwindowgeometry "$window" 2>/dev/null | sed -n 's/.*Geometry: //p')
        width=${size%x*}
        height=${size#*x}
        [ -n "$size" ] && [ "$width" -lt 1000 ] || continue
        case "$name" in
        Ravelo)
            if [ "$height" -gt 300 ]; then kinds+=(form)
            elif [ "$height" -gt 160 ]; then kinds+=(consent)
            else kinds+=(completion)
            fi ;;
        "") kinds+=(box) ;;
        esac
    done
    [ ${#kinds[@]} -eq 0 ] && { echo none; return; }
    printf '%s\n' "${kinds[@]}" | sort | paste -sd+
}

# wait_for_state STATE [SECONDS]: true once window_state is STATE.
wait_for_state() {
    local wanted=$1 tries=$(( ${2:-15} * 5 ))
    for _ in $(seq "$tries"); do
        [ "$(window_state)" = "$wanted" ] && return 0
        sleep 0.2
    done
    return 1
}

screenshot() {
    mkdir -p "$e2e_dir/screenshots"
    import -window root "$e2e_dir/screenshots/$1.png" 2>/dev/null
}

# The geometry of the one visible window called NAME: x y width height.
# (xwininfo, since this xdotool reports positions off by the window's own
# offset when no window manager runs.)
window_box() {
    local window
    window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1)
    xwininfo -id "$window" | awk '/Absolute upper-left X:/{x=$NF} /Absolute upper-left Y:/{y=$NF}
                                  /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}

click_close_box() { # of the captioned Ravelo dialog
    local x y width height
    read -r x y width height < <(window_box Ravelo)
    xdotool mousemove $((x + width - 12)) $((y + 12)) click 1
    xdotool mousemove 5 760
}

press() { xdotool key --delay 60 "$@"; sleep 0.3; }
type_text() { xdotool type --delay 8 -- "$1"; sleep 0.3; }
