# Sourced by the end-to-end run and the demo: a 64-bit Wine prefix holding
# the demo installation, shown on an Xvfb display (or the user's own) inside
# Wine's virtual desktop, which draws the captions and close boxes that a bare
# X server has no window manager for; and the means to drive Ravelo.exe
# through its dialogs with xdotool.
#
# Needs: session_dir (the folder for the prefix, runs and screenshots),
# ravelo_exe.
# Gives: WINEPREFIX, DISPLAY, everything of demo_installation.sh,
# make_session_prefix, start_wine_session, end_wine_session, start_ravelo,
# wait_for_exit, window_state, wait_for_state, screenshot, press, type_text,
# accept_consent, fill_form.

session_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX="$session_dir/prefix"
source "$session_scripts/wine_prefix.sh"
source "$session_scripts/demo_installation.sh"
xvfb_pid=""

wine_cmd() { # every Wine run on one core and under a time limit
    taskset -c 0 timeout 60 wine "$@" </dev/null >/dev/null 2>&1
}

# A fresh 64-bit prefix whose programs open in a 1024x768 virtual desktop.
make_session_prefix() {
    make_wine_prefix "$WINEPREFIX" win64
    # The desktop is chosen when the first program of a session starts, so
    # these keys are written before the session that runs Ravelo begins.
    wine_cmd reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
    wine_cmd reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f
}

start_xvfb() {
    local display_file="$session_dir/display"
    rm -f "$display_file"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" \
        >"$session_dir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$display_file" ] && break
        sleep 0.1
    done
    if [ ! -s "$display_file" ]; then
        echo "Xvfb did not start:" >&2
        cat "$session_dir/xvfb.log" >&2
        exit 1
    fi
    export DISPLAY=":$(head -n1 "$display_file")"
}

start_wine_session() { # [own-display]: without it, a private Xvfb
    timeout 30 wineserver -w || true
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
    mkdir -p "$session_dir/screenshots"
    import -window root "$session_dir/screenshots/$1.png" 2>/dev/null
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

# A window that has just shown may not have the keyboard yet, least of all
# on a busy machine: keys are sent once it has settled.
accept_consent() { # from the consent dialog with OK focused, to the form
    sleep 0.5
    press Tab Tab Tab space Return
}

# fill_form NAME EMAIL FORUM DESCRIPTION_LINE...: types into the form, its
# name field focused, and leaves the focus on the description.
fill_form() {
    sleep 0.5
    type_text "$1"
    press Tab
    type_text "$2"
    press Tab
    [ -z "$3" ] || type_text "$3"
    press Tab
    shift 3
    type_text "$1"
    shift
    local line
    for line in "$@"; do
        press Return
        type_text "$line"
    done
}
