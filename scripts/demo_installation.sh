# Sourced by the demo and the end-to-end run: plants, in the Wine prefix
# $WINEPREFIX, a made-up but believable installation of the simulator with
# Vok's add-on, so that every section of a report has something to show.
# Every byte is made here (text written out, binaries drawn from a fixed
# keystream), so the same tree, with the same digests, comes out on every
# machine: the inspector's example manifests are taken from it.
#
# plant_demo_installation [clean|faults]: "faults" also plants what a support
# engineer should find: a Vok file changed after installation and a module
# the customer refused to trust.
# Gives: demo_fsx_unix, demo_fsx_windows, demo_app_data_unix,
# demo_app_data_windows, demo_winsxs_unix.

demo_user=$(id -un)
demo_fsx_unix="$WINEPREFIX/drive_c/FSX"
demo_fsx_windows='C:\FSX\'
demo_app_data_unix="$WINEPREFIX/drive_c/users/$demo_user/AppData/Roaming"
demo_app_data_windows="C:\\users\\$demo_user\\AppData\\Roaming"
demo_winsxs_unix="$WINEPREFIX/drive_c/windows/winsxs"
demo_simconnect=x86_Microsoft.FlightSimulator.SimConnect_67c7c14424d61b5b_10.0.61259.0_x-ww_72495ffc
demo_simconnect_rtm=x86_Microsoft.FlightSimulator.SimConnect_67c7c14424d61b5b_10.0.60905.0_x-ww_5d3d7b7e
demo_vc_runtime=x86_Microsoft.VC80.CRT_1fc8b3b9a1e18e3b_8.0.50727.6195_x-ww_44262b86

# demo_binary FILE SIZE HEADER: SIZE bytes, HEADER (printf format) first,
# the rest from an AES keystream keyed by the file's name.
demo_binary() {
    local file=$1 size=$2 header=$3 iv
    mkdir -p "$(dirname "$file")"
    iv=$(printf '%s' "${file#"$WINEPREFIX"}" | md5sum | cut -c1-32)
    {
        printf "$header"
        head -c "$size" /dev/zero |
            openssl enc -aes-128-ctr -nosalt -K 566f6b20526176656c6f2064656d6f21 -iv "$iv" 2>/dev/null
    } | head -c "$size" >"$file"
}

# demo_text FILE LINE...: the lines, each ended by CR LF as Windows tools write.
demo_text() {
    local file=$1
    shift
    mkdir -p "$(dirname "$file")"
    printf '%s\r\n' "$@" >"$file"
}

plant_demo_vok_tree() {
    local vok="$demo_fsx_unix/Vok"
    rm -rf "$vok"
    demo_text "$vok/readme.txt" "Vok Panel 1.2.0 for Microsoft Flight Simulator X" "" \
        "Start the simulator and pick the Vok panel from the Add-ons menu." \
        "Support: support@vok.example"
    demo_text "$vok/license.txt" "Vok Panel license" "" "One simulator installation per purchase."
    demo_text "$vok/VokPanel.cfg" "[General]" "Version=1.2.0" "Units=metric" "Sound=1"
    demo_binary "$vok/Docs/VokPanel_Manual.pdf" 614400 '%%PDF-1.4\n'
    demo_text "$vok/Docs/changelog.txt" "1.2.0  Night lighting for every gauge." \
        "1.1.0  Fuel flow totaliser." "1.0.0  First release."
    demo_text "$vok/Docs/quick_reference.txt" "F1 panel, F2 radio stack, F3 fuel page."
    # A gauge holds CR LF pairs and a 0x1A byte: its digest must cover them.
    demo_binary "$vok/Gauges/VokPanel.gau" 262144 'MZ\x90\x00\r\n\x1a\r\n'
    demo_binary "$vok/Gauges/VokRadio.gau" 196608 'MZ\x90\x00'
    demo_binary "$vok/Gauges/VokFuel.gau" 131072 'MZ\x90\x00'
    demo_binary "$vok/Gauges/Sounds/click.wav" 22050 'RIFF'
    demo_binary "$vok/Gauges/Sounds/switch.wav" 30870 'RIFF'
    demo_binary "$vok/Gauges/Sounds/warning horn.wav" 88200 'RIFF'
    demo_text "$vok/Panel/panel.cfg" "[Window Titles]" "Window00=Vok Main Panel" \
        "Window01=Vok Radio Stack" "" "[Window00]" "size_mm=1024,768" "visible=1" \
        "gauge00=VokPanel!Attitude, 412,180,200,200" "gauge01=VokPanel!Altimeter, 620,180,200,200" \
        "" "[Window01]" "size_mm=400,300" "gauge00=VokRadio!Stack, 0,0,400,300"
    demo_binary "$vok/Panel/panel_background.bmp" 393270 'BM'
    demo_binary "$vok/Panel/panel_background_night.bmp" 393270 'BM'
    local texture
    for texture in attitude altimeter airspeed heading vsi fuel radio_stack knobs needles glare; do
        demo_binary "$vok/Textures/$texture.dds" 43832 'DDS |\x00\x00\x00'
    done
    demo_binary "$vok/Textures/Night/panel_night.dds" 174904 'DDS |\x00\x00\x00'
    demo_binary "$vok/Textures/Night/needles_night.dds" 43832 'DDS |\x00\x00\x00'
    demo_text "$vok/Effects/fx_vok_beacon.fx" "[Library Effect]" "Lifetime=5" "Version=1.00"
    demo_text "$vok/Effects/fx_vok_strobe.fx" "[Library Effect]" "Lifetime=2" "Version=1.00"
    demo_text "$vok/Scripts/startup.xml" '<?xml version="1.0"?>' '<Script Name="startup">' \
        '  <Set Var="L:VokPower" Value="1"/>' '</Script>'
    demo_text "$vok/Scripts/shutdown.xml" '<?xml version="1.0"?>' '<Script Name="shutdown">' \
        '  <Set Var="L:VokPower" Value="0"/>' '</Script>'
}

plant_demo_modules() {
    rm -f "$demo_fsx_unix/Modules/VokPanel.dll" "$demo_fsx_unix/Modules/VokPanel.ini"
    demo_binary "$demo_fsx_unix/Modules/VokPanel.dll" 311296 'MZ\x90\x00'
    demo_text "$demo_fsx_unix/Modules/VokPanel.ini" "[Log]" "Level=warning"
}

plant_demo_config_files() { # trust value of the module in fsx.cfg
    local fsx="$demo_app_data_unix/Microsoft/FSX"
    demo_text "$fsx/dll.xml" '<?xml version="1.0" encoding="Windows-1252"?>' \
        '<SimBase.Document Type="Launch" version="1,0">' \
        '  <Descr>Launch</Descr>' '  <Filename>dll.xml</Filename>' \
        '  <Disabled>False</Disabled>' '  <Launch.ManualLoad>False</Launch.ManualLoad>' \
        '  <Launch.Addon>' '    <Name>Vok Panel</Name>' '    <Disabled>False</Disabled>' \
        '    <ManualLoad>False</ManualLoad>' '    <Path>Modules\VokPanel.dll</Path>' \
        '  </Launch.Addon>' '</SimBase.Document>'
    demo_text "$fsx/fsx.cfg" '[Main]' 'User Objects=Airplane, Helicopter' 'SimObjectPaths.0=SimObjects\Airplanes' \
        'ProcSpeed=2804' 'PerfBucket=7' 'Maximized=1' '' '[Display]' 'TextureMaxLoad=30' \
        'WideViewAspect=True' '' '[Trusted]' \
        "C:\\FSX\\Modules\\VokPanel.dll.kqoowkzbhilwhkzqtneurqkebbbkaiiwkuhlrozb=$1" '' \
        '[SOUND]' 'SOUND=1' 'AMBIENT_VOLUME=6000'
}

plant_demo_side_by_side() {
    demo_binary "$demo_winsxs_unix/$demo_simconnect/SimConnect.dll" 73728 'MZ\x90\x00'
    demo_binary "$demo_winsxs_unix/$demo_simconnect_rtm/SimConnect.dll" 69632 'MZ\x90\x00'
    demo_binary "$demo_winsxs_unix/$demo_vc_runtime/msvcr80.dll" 632656 'MZ\x90\x00'
    demo_binary "$demo_winsxs_unix/$demo_vc_runtime/msvcp80.dll" 554832 'MZ\x90\x00'
    demo_binary "$demo_winsxs_unix/$demo_vc_runtime/msvcm80.dll" 479560 'MZ\x90\x00'
}

# The simulator's key and Vok's in the 32-bit view, where a 32-bit installer
# on 64-bit Windows writes them; a few per-user keys.
plant_demo_registry() {
    local file="$WINEPREFIX/demo_registry.reg"
    cat >"$file" <<EOF
REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0]
"SetupPath"="C:\\\\FSX\\\\"
"LangID"=dword:00000409
"PID"="76487-640-8834005-45251"

[HKEY_LOCAL_MACHINE\\Software\\Vok\\VokPanel]
"InstallPath"="C:\\\\FSX\\\\Vok\\\\"
"Version"="1.2.0"

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vok Panel]
"DisplayName"="Vok Panel for Flight Simulator X"
"DisplayVersion"="1.2.0"
"InstallLocation"="C:\\\\FSX\\\\Vok"
"Publisher"="Vok"

[HKEY_CURRENT_USER\\Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0]
"AppPath"="C:\\\\FSX\\\\"

[HKEY_CURRENT_USER\\Software\\Vok\\VokPanel]
"LastPanel"="Main"
"SimConnectRetries"=dword:00000003
EOF
    taskset -c 0 timeout 60 wine reg import "$file" /reg:32 </dev/null >/dev/null 2>&1
}

plant_demo_installation() {
    local kind=${1:-clean}
    plant_demo_vok_tree
    plant_demo_modules
    plant_demo_side_by_side
    plant_demo_registry
    if [ "$kind" = faults ]; then
        # The customer "fixed" a gauge position by hand, and once answered
        # No when the simulator asked whether to trust Vok's module.
        demo_text "$demo_fsx_unix/Vok/Panel/panel.cfg" "[Window Titles]" \
            "Window00=Vok Main Panel" "" "[Window00]" "size_mm=1024,768" "visible=1" \
            "gauge00=VokPanel!Attitude, 400,170,220,220"
        plant_demo_config_files -1
    else
        plant_demo_config_files 1
    fi
}
