# End-to-end checks of qorvel.exe under Wine: a quiet batch save on one PC
# and a quiet batch load on another, with -c, -r and -b, and the exit codes;
# the help window of an unknown switch is closed through the display.
# Sourced by scripts/test after common.sh; sets e2e_passed and e2e_failed.

e2e_passed=0
e2e_failed=0

check() {  # description, command...
  local what=$1; shift
  if "$@" >/dev/null 2>&1; then
    echo "  ok    $what"
    e2e_passed=$((e2e_passed + 1))
  else
    echo "  FAIL  $what"
    e2e_failed=$((e2e_failed + 1))
  fi
}

# A 2x2 24-bit bitmap, so that Windows accepts it as a wallpaper.
write_bitmap() {  # file
  printf 'BM\x46\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x02\0\0\0\x02\0\0\0\x01\0\x18\0' >"$1"
  printf '\0\0\0\0\x10\0\0\0\x13\x0b\0\0\x13\x0b\0\0\0\0\0\0\0\0\0\0' >>"$1"
  printf '\0\0\xff\0\0\0\xff\0\0\0\0\0\xff\xff\xff\xff\0\0' >>"$1"
}

# The data of one registry value as `reg query` prints it ("" when missing).
reg_value() {  # key, name
  (wine reg query "$1" /v "$2" 2>/dev/null || true) | tr -d '\r' |
    awk -v n="$2" 'tolower($1) == tolower(n) { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}

# Runs a command on a PC (a Wine prefix), with no input.
on_pc() { local pc=$1; shift; (use_prefix "$pc" && "$@" </dev/null); }

# Waits (at most 30 s) until no wineboot runs. A new wineserver's first
# program starts wineboot, which looks the host's name up and then writes
# the computer's names and its DNS domain into the registry: a check of
# those values must not race it.
wait_for_boot() {
  local tries
  for tries in $(seq 1 60); do
    pgrep -f 'wineboot\.exe' >/dev/null || return 0
    sleep 0.5
  done
}

# Fresh PCs, each with its Wine server kept up until pcs_stop.
pcs_start() {  # prefix...
  local pc
  for pc in "$@"; do (fresh_prefix "$pc"); done
  for pc in "$@"; do (use_prefix "$pc" && wineserver -p >/dev/null 2>&1); done
}

pcs_stop() {  # prefix...
  local pc
  for pc in "$@"; do (use_prefix "$pc" && wineserver -k >/dev/null 2>&1) || true; done
}

# Runs qorvel.exe (the caller's $exe) on a PC with the given switches and
# sets the caller's rc to its exit code.
qorvel_on() {  # prefix, switches...
  local pc=$1; shift
  rc=0
  on_pc "$pc" wine "$exe" "$@" || rc=$?
}

# Printers: a test printer on FILE: with a driver made from Wine's own
# PostScript driver, and a separator page, made on a source PC, are saved
# with a configuration that selects only "Printers" and installed on the
# target PC. The spooler of the target then lists the printer with its
# driver and port. (Wine's spooler accepts almost anything: this proves the
# calls and the files, not the checks a Windows spooler makes.)
e2e_printers() {  # qorvel.exe
  local exe=$1 root="$build/e2e-printers" rc
  local tool
  tool="$(cd "$(dirname "$exe")/.." && pwd)/tests/printer_tool.exe"
  local src="$root/source-pc" dst="$root/target-pc"
  pcs_start "$src" "$dst"

  mkdir -p "$src/drive_c/e2e" "$dst/drive_c/e2e"
  printf '\\H\\B harbour separator\r\n' >"$src/drive_c/windows/system32/harbour.sep"
  printf 'Personality\r\nPrinters\r\nEndPersonality\r\nConnectivity\r\nEndConnectivity\r\nFiles\r\nEndFiles\r\n' \
    >"$src/drive_c/e2e/printers.cfg"
  rc=0
  on_pc "$src" wine "$tool" add 'Qorvel E2E Printer' 'Qorvel E2E PS' 'C:\windows\system32\harbour.sep' \
    >/dev/null 2>&1 || rc=$?
  check "printers: the source PC has a test printer on FILE:" test "$rc" -eq 0
  qorvel_on "$src" -s 'C:\e2e\printers' -c 'C:\e2e\printers' -r 'C:\e2e\psave' -q
  check "printers: save exits with 0 and reports the printer with its driver" \
    bash -c "test $rc -eq 0 && grep -q '^1 Printers found' '$src/drive_c/e2e/psave.txt' &&
             grep -q 'Qorvel E2E Printer  (using driver \"Qorvel E2E PS\")' '$src/drive_c/e2e/psave.txt'"
  check "printers: the target PC has no such printer before the load" \
    bash -c "! (use_prefix '$dst' && wine '$tool' list </dev/null 2>/dev/null) | grep -q 'Qorvel E2E Printer'"

  cp "$src/drive_c/e2e/printers.qrv" "$dst/drive_c/e2e/printers.qrv"
  qorvel_on "$dst" -l 'C:\e2e\printers' -r 'C:\e2e\pload' -q
  check "printers: load exits with 0 and reports the driver and the printer" \
    bash -c "test $rc -eq 0 && grep -q 'Installing printer driver Qorvel E2E PS' '$dst/drive_c/e2e/pload.txt' &&
             grep -q 'Installing printer Qorvel E2E Printer' '$dst/drive_c/e2e/pload.txt' &&
             ! grep -q 'installation failed' '$dst/drive_c/e2e/pload.txt'"
  local listed
  listed=$(on_pc "$dst" wine "$tool" list 2>/dev/null | tr -d '\r')
  check "printers: EnumPrinters on the target lists the printer with its driver and port" \
    bash -c "printf '%s\n' '$listed' | grep -qx 'Qorvel E2E Printer|Qorvel E2E PS|FILE:|Harbour office'"
  check "printers: the driver file and the separator page arrive on the target" \
    bash -c "ls '$dst/drive_c/windows/system32/spool/drivers/x64/' | grep -qi '^wineps.drv\$' &&
             cmp -s '$src/drive_c/windows/system32/harbour.sep' '$dst/drive_c/windows/system32/harbour.sep'"
  pcs_stop "$src" "$dst"
}

# Explorer's options between two PCs: the source shows everything in
# separate windows with the full path; the target has its own (older)
# values, which the load patches bit by bit, keeping their lengths. The
# Active Desktop that Wine offers (an object whose every call fails) and its
# taskbar (no properties dialog) are described without failing the run.
run_e2e_shell() {  # qorvel.exe, source prefix, target prefix
  local exe=$1 src=$2 dst=$3 rc
  local cab='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\CabinetState'
  local exp='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer'
  local tail36  # the last 31 bytes of a 36-byte ShellState
  tail36=$(printf '00%.0s' $(seq 1 31))
  {
    on_pc "$src" wine reg add "$cab" /v Settings /t REG_BINARY /d 0C0002002101000060000000 /f
    on_pc "$src" wine reg add "$exp" /v ShellState /t REG_BINARY /d "2400000003$tail36" /f
    on_pc "$dst" wine reg add "$cab" /v Settings /t REG_BINARY /d 0C0002000001000060000000 /f
    on_pc "$dst" wine reg add "$exp" /v ShellState /t REG_BINARY /d "2400000020$tail36" /f
  } >/dev/null 2>&1
  mkdir -p "$src/drive_c/e2e" "$dst/drive_c/e2e"
  qorvel_on "$src" -s 'C:\e2e\shell' -r 'C:\e2e\shell-save' -q
  check "shell: save with every default item exits with 0" test "$rc" -eq 0
  cp "$src/drive_c/e2e/shell.qrv" "$dst/drive_c/e2e/shell.qrv" 2>/dev/null
  qorvel_on "$dst" -l 'C:\e2e\shell' -r 'C:\e2e\shell-load' -q
  check "shell: load exits with 0" test "$rc" -eq 0
  local cabinet shell
  cabinet=$(on_pc "$dst" reg_value "$cab" Settings)
  shell=$(on_pc "$dst" reg_value "$exp" ShellState)
  check "shell: the Explorer options arrive in the target's own values, lengths kept" \
    test "$cabinet|$shell" = "0C0002002101000060000000|2400000023$tail36"
  check "shell: the load report says what the options now are" \
    bash -c "grep -q 'File views are browsed in separate windows' '$dst/drive_c/e2e/shell-load.txt' &&
             grep -q 'The Full MS-DOS path is displayed in the title bar' '$dst/drive_c/e2e/shell-load.txt' &&
             grep -q 'MS-DOS extensions are shown for file types that are registered' '$dst/drive_c/e2e/shell-load.txt' &&
             ! grep -q 'Error reading section' '$dst/drive_c/e2e/shell-load.txt'"
  check "shell: the taskbar item describes the bar Wine has (no properties dialog)" \
    bash -c "grep -q 'Could not retrieve Taskbar settings. Ensure the Taskbar Properties dialog is not open.' '$src/drive_c/e2e/shell-save.txt' &&
             grep -Eq '^The taskbar is -?[0-9]+ pixels high and -?[0-9]+ pixels wide.' '$dst/drive_c/e2e/shell-load.txt'"
  check "shell: the Active Desktop Wine offers is described" \
    bash -c "grep -q 'Active Desktop components found.' '$src/drive_c/e2e/shell-save.txt' &&
             grep -q 'Active Desktop components found.' '$dst/drive_c/e2e/shell-load.txt'"
}

run_e2e() {  # qorvel.exe
  local exe=$1 root="$build/e2e" rc
  local src="$root/source-pc" dst="$root/target-pc"
  pcs_start "$src" "$dst"

  mkdir -p "$src/drive_c/e2e/Docs/Sub" "$dst/drive_c/e2e"
  printf 'first\r\n' >"$src/drive_c/e2e/Docs/a.txt"
  printf 'second\r\n' >"$src/drive_c/e2e/Docs/Sub/b.txt"
  touch -d '2001-02-03 04:05:06' "$src/drive_c/e2e/Docs/Sub/b.txt"
  printf 'Files\r\n"C:\\e2e\\Docs"\r\nEndFiles\r\n' >"$src/drive_c/e2e/files.cfg"
  # The source's desktop: a tiled wallpaper, a pattern, a 7-minute screen
  # saver time-out and the low-power phase switched on.
  mkdir -p "$src/drive_c/e2e/Pictures"
  write_bitmap "$src/drive_c/e2e/Pictures/sea.bmp"
  local desk='HKCU\Control Panel\Desktop' v
  for v in 'Wallpaper|C:\e2e\Pictures\sea.bmp' 'TileWallpaper|1' \
           'Pattern|170 85 170 85 170 85 170 85' 'ScreenSaveTimeOut|420' 'LowPowerActive|1'; do
    on_pc "$src" wine reg add "$desk" /v "${v%%|*}" /t REG_SZ /d "${v#*|}" /f
  done >/dev/null 2>&1

  qorvel_on "$src" -s 'C:\e2e\pc1' -c 'C:\e2e\files' -r 'C:\e2e\save' -q
  check "save exits with 0" test "$rc" -eq 0
  check "the settings file starts with its header" \
    bash -c "head -c 11 '$src/drive_c/e2e/pc1.qrv' | tail -c 7 | grep -q 'ZTR QRV'"
  check "the save report names the file and the data files" \
    bash -c "grep -q 'Settings saved to : C:.e2e.pc1.qrv' '$src/drive_c/e2e/save.txt' &&
             grep -q 'Saved C:.e2e.Docs.Sub.b.txt' '$src/drive_c/e2e/save.txt'"

  cp "$src/drive_c/e2e/pc1.qrv" "$dst/drive_c/e2e/pc1.qrv"
  qorvel_on "$dst" -l 'C:\e2e\pc1' -b 'C:\e2e\before' -r 'C:\e2e\load' -q
  check "load exits with 0" test "$rc" -eq 0
  check "the data files arrive with their contents" \
    bash -c "cmp -s '$src/drive_c/e2e/Docs/a.txt' '$dst/drive_c/e2e/Docs/a.txt' &&
             cmp -s '$src/drive_c/e2e/Docs/Sub/b.txt' '$dst/drive_c/e2e/Docs/Sub/b.txt'"
  check "the data files keep their modification times" \
    test "$(stat -c %Y "$src/drive_c/e2e/Docs/Sub/b.txt")" = \
         "$(stat -c %Y "$dst/drive_c/e2e/Docs/Sub/b.txt" 2>/dev/null)"
  check "the backup named with -b is written" test -s "$dst/drive_c/e2e/before.qrv"
  check "the load report names the copies and the backup" \
    bash -c "grep -q 'Copied file C:.e2e.Docs.a.txt' '$dst/drive_c/e2e/load.txt' &&
             grep -q 'System settings backed up to C:.e2e.before.qrv' '$dst/drive_c/e2e/load.txt'"

  local got=() v
  for v in Wallpaper TileWallpaper Pattern ScreenSaveTimeOut LowPowerActive; do
    got+=("$(on_pc "$dst" reg_value "$desk" "$v")")
  done
  check "the wallpaper arrives with its bitmap and is tiled" \
    bash -c "cmp -s '$src/drive_c/e2e/Pictures/sea.bmp' '$dst/drive_c/e2e/Pictures/sea.bmp' &&
             test '${got[0]}' = 'C:\\e2e\\Pictures\\sea.bmp' && test '${got[1]}' = 1"
  check "the pattern, screen saver time-out and low-power phase arrive" \
    test "${got[2]}|${got[3]}|${got[4]}" = "170 85 170 85 170 85 170 85|420|1"
  local name
  name=$(on_pc "$src" reg_value 'HKLM\System\CurrentControlSet\Control\ComputerName\ComputerName' ComputerName)
  check "the reports describe the desktop and the computer's name" \
    bash -c "grep -q 'The wallpaper is tiled.' '$dst/drive_c/e2e/load.txt' &&
             grep -q 'idle for 7 minutes.' '$dst/drive_c/e2e/load.txt' &&
             grep -q 'The Low-Power phase of screen saving is active.' '$dst/drive_c/e2e/load.txt' &&
             test -n '$name' && grep -q 'Computer name : $name' '$src/drive_c/e2e/save.txt'"
  check "the save report gives the workgroup or domain the system names" \
    bash -c "grep -Eq '^(WorkGroup     |Domain     ): [^ ]' '$src/drive_c/e2e/save.txt' &&
             ! grep -q 'An error occured while retrieving' '$src/drive_c/e2e/save.txt'"

  on_pc "$src" wine reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\e2e-viewer' \
    /v DisplayName /t REG_SZ /d 'Picture Viewer 3' /f >/dev/null 2>&1
  qorvel_on "$src" -a 'C:\e2e\apps'
  check "-a lists the installed applications" \
    bash -c "test $rc -eq 0 && head -1 '$src/drive_c/e2e/apps.txt' | grep -q '^[0-9]* Installed applications detected' &&
             grep -q '^Picture Viewer 3' '$src/drive_c/e2e/apps.txt'"

  qorvel_on "$dst" -l 'C:\e2e\missing' -q
  check "a failed quiet load exits with 1" test "$rc" -eq 1

  # A settings file cut short inside its source-system record (it starts
  # after the configuration record's second "END"): the quiet load waits for
  # nobody, ends with 1, and the report it writes is that load's own, with
  # the read error, not the backup's.
  local cut
  cut=$(grep -obUaP '\x03\x00\x00\x00END' "$dst/drive_c/e2e/pc1.qrv" | sed -n 2p | cut -d: -f1)
  head -c $(( ${cut:-0} + 7 + 6 )) "$dst/drive_c/e2e/pc1.qrv" >"$dst/drive_c/e2e/cut.qrv"
  rc=0
  on_pc "$dst" timeout 120 wine "$exe" -l 'C:\e2e\cut' -r 'C:\e2e\cut-load' -q || rc=$?
  check "a settings file cut short: the quiet load exits with 1" test "$rc" -eq 1
  check "its report is the failed load's and names the error" \
    bash -c "test -n '$cut' &&
             grep -q 'Settings copied from : C:.e2e.cut.qrv' '$dst/drive_c/e2e/cut-load.txt' &&
             grep -q 'Attempt to read past end of file.' '$dst/drive_c/e2e/cut-load.txt' &&
             grep -q 'End of Report' '$dst/drive_c/e2e/cut-load.txt' &&
             ! grep -q 'Settings saved to' '$dst/drive_c/e2e/cut-load.txt'"
  # An unknown switch opens the command-line help; Enter closes it (this
  # needs the display scripts/test started) and the program ends with -1.
  local rc_file pid window
  rc_file=$(mktemp)
  (status=0; on_pc "$dst" wine "$exe" -x >/dev/null 2>&1 || status=$?; echo "$status" >"$rc_file") &
  pid=$!
  window=$(timeout 30 xdotool search --sync --name '^QRV Command line parameters$' 2>/dev/null |
           head -n 1) || true
  check "an unknown switch opens the command-line help" test -n "$window"
  # Enter, again each second until the program has ended: a key that comes
  # before the window takes input is lost.
  local tries
  for tries in $(seq 1 30); do
    kill -0 "$pid" 2>/dev/null || break
    if [ -n "$window" ]; then
      xdotool windowfocus --sync "$window" key Return >/dev/null 2>&1 || true
    fi
    sleep 1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    pcs_stop "$dst"
  fi
  wait "$pid" 2>/dev/null || true
  check "an unknown switch exits with -1" test "$(cat "$rc_file")" = 255
  rm -f "$rc_file"

  # Without parameters: the first-run about box (Enter closes it), then the
  # main window, kept as a screenshot and closed with Alt+F4.
  local shots="$build/win64/screenshots" about main
  mkdir -p "$shots"
  rc_file=$(mktemp)
  (status=0; on_pc "$dst" wine "$exe" >/dev/null 2>&1 || status=$?; echo "$status" >"$rc_file") &
  pid=$!
  about=$(timeout 30 xdotool search --sync --name '^ZTR Qorvel$' 2>/dev/null | head -n 1) || true
  [ -n "$about" ] && /usr/bin/import -window "$about" "$shots/qorvel-about.png" >/dev/null 2>&1
  main=
  for tries in $(seq 1 40); do
    [ -n "$about" ] && xdotool windowfocus --sync "$about" key Return >/dev/null 2>&1
    sleep 0.5
    main=$(xdotool search --name '^ZTR Qorvel$' 2>/dev/null | grep -v "^$about\$" | head -n 1) || true
    [ -n "$main" ] && break
  done
  check "qorvel.exe without parameters shows the about box, then the main window" \
    test -n "$about" -a -n "$main"
  if [ -n "$main" ]; then
    sleep 1
    /usr/bin/import -window "$main" "$shots/qorvel-main.png" >/dev/null 2>&1
    xdotool windowfocus --sync "$main" key alt+F4 >/dev/null 2>&1 || true
  fi
  for tries in $(seq 1 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.5; done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    pcs_stop "$dst"
  fi
  wait "$pid" 2>/dev/null || true
  check "closing the main window ends the program with 0" test "$(cat "$rc_file")" = 0
  rm -f "$rc_file"

  run_e2e_shell "$exe" "$src" "$dst"
  e2e_shares_and_dialup "$exe" "$src" "$dst"

  pcs_stop "$src" "$dst"

  e2e_printers "$exe"
  e2e_tcpip "$exe"
  run_e2e_display "$exe"
  run_e2e_folders "$exe"
  run_e2e_input "$exe"
}

# TCP/IP, WINS and DNS between two PCs whose network cards have other names:
# each PC gets a card of its own (Wine lists the host's interfaces in the
# volatile NetworkCards key, rebuilt with each wineserver, so one server per
# PC stays up from the set-up to the run), the source's address, mask,
# gateway, WINS servers and DNS lists go to the target's card.
e2e_tcpip() {  # qorvel.exe
  local exe=$1 root="$build/e2e" rc
  local src="$root/tcpip-source" dst="$root/tcpip-target"
  pcs_start "$src" "$dst"
  local cards='HKLM\Software\Microsoft\Windows NT\CurrentVersion\NetworkCards\21'
  local services='HKLM\System\CurrentControlSet\Services' line
  # pc, card name, service, address, mask, gateway, DHCP
  add_card() {
    on_pc "$1" wine reg add "$cards" /v Description /t REG_SZ /d "$2" /f &&
      on_pc "$1" wine reg add "$cards" /v ServiceName /t REG_SZ /d "$3" /f &&
      on_pc "$1" wine reg add "$services\\$3\Parameters\Tcpip" /v IPAddress /t REG_MULTI_SZ /d "$4" /f &&
      on_pc "$1" wine reg add "$services\\$3\Parameters\Tcpip" /v SubnetMask /t REG_MULTI_SZ /d "$5" /f &&
      on_pc "$1" wine reg add "$services\\$3\Parameters\Tcpip" /v DefaultGateway /t REG_MULTI_SZ /d "$6" /f &&
      on_pc "$1" wine reg add "$services\\$3\Parameters\Tcpip" /v EnableDHCP /t REG_DWORD /d "$7" /f
  }
  rc=0
  { add_card "$src" 'Harbour PCI Ethernet Adapter' HarbourNic1 10.20.30.40 255.255.0.0 10.20.0.1 0 &&
    add_card "$dst" 'Quay Gigabit Ethernet NIC' QuayNic1 192.168.7.7 255.255.255.0 192.168.7.1 1; } >/dev/null 2>&1 ||
    rc=$?
  check "TCP/IP: each PC gets a network card of its own" test "$rc" -eq 0
  for line in "NetBT\Adapters\HarbourNic1|NameServer|10.20.0.100" \
              "NetBT\Adapters\HarbourNic1|NameServerBackup|10.20.0.101" \
              "NetBT\Parameters|ScopeID|HARBOUR" \
              "Tcpip\Parameters|NameServer|10.20.0.53 10.20.0.54" \
              "Tcpip\Parameters|SearchList|harbour.example quay.example" \
              "Tcpip\Parameters|Domain|harbour.example"; do
    IFS='|' read -r key name data <<<"$line"
    on_pc "$src" wine reg add "$services\\$key" /v "$name" /t REG_SZ /d "$data" /f >/dev/null 2>&1
  done
  mkdir -p "$src/drive_c/e2e" "$dst/drive_c/e2e"
  printf 'Personality\r\nEndPersonality\r\nConnectivity\r\n  TCPIP Configuration\r\n  DNS Configuration\r\n  WINS Configuration\r\nEndConnectivity\r\nFiles\r\nEndFiles\r\n' \
    >"$src/drive_c/e2e/tcpip.cfg"

  qorvel_on "$src" -s 'C:\e2e\net' -c 'C:\e2e\tcpip' -r 'C:\e2e\netsave' -q
  check "TCP/IP: save exits with 0 and describes the source's card" \
    bash -c "test $rc -eq 0 && grep -q 'Description : Harbour PCI Ethernet Adapter' '$src/drive_c/e2e/netsave.txt' &&
             grep -q 'IP Address  : 10.20.30.40' '$src/drive_c/e2e/netsave.txt'"
  cp "$src/drive_c/e2e/net.qrv" "$dst/drive_c/e2e/net.qrv"
  wait_for_boot
  qorvel_on "$dst" -l 'C:\e2e\net' -r 'C:\e2e\netload' -q
  check "TCP/IP: load exits with 0" test "$rc" -eq 0
  check "TCP/IP: the report pairs the differently named cards" \
    bash -c "grep -q '^  Network Adapter 1: Quay Gigabit Ethernet NIC' '$dst/drive_c/e2e/netload.txt' &&
             grep -q '^  Information for this adapter has been replaced by new information from \"Harbour PCI Ethernet Adapter\"' '$dst/drive_c/e2e/netload.txt'"
  local tcpip="$services\QuayNic1\Parameters\Tcpip" got=()
  for name in IPAddress SubnetMask DefaultGateway EnableDHCP; do
    got+=("$(on_pc "$dst" reg_value "$tcpip" "$name" | sed 's/\\0$//')")
  done
  check "TCP/IP: the target's card gets the source's address, mask and gateway, DHCP off" \
    test "${got[*]}" = "10.20.30.40 255.255.0.0 10.20.0.1 0x0"
  got=()
  for line in "NetBT\Adapters\QuayNic1|NameServer" "NetBT\Adapters\QuayNic1|NameServerBackup" \
              "NetBT\Parameters|ScopeID"; do
    got+=("$(on_pc "$dst" reg_value "$services\\${line%%|*}" "${line#*|}")")
  done
  check "TCP/IP: the WINS servers and scope arrive" test "${got[*]}" = "10.20.0.100 10.20.0.101 HARBOUR"
  got=()
  for name in NameServer SearchList Domain; do
    got+=("$(on_pc "$dst" reg_value "$services\Tcpip\Parameters" "$name")")
  done
  check "TCP/IP: the DNS servers and suffixes arrive blank-separated" \
    test "${got[0]}|${got[1]}|${got[2]}" = "10.20.0.53 10.20.0.54|harbour.example quay.example|harbour.example"

  pcs_stop "$src" "$dst"
}

# The Start Menu, SendTo and Desktop folders between two PCs of their own:
# a merge-mode load and a replace-mode load, each with the answers stored in
# the options, as a batch load takes them. Each prefix has its own home and
# XDG trash (use_prefix), where the replace-mode load recycles to.
run_e2e_folders() {  # qorvel.exe
  local exe=$1 root="$build/e2e" rc
  local src="$root/folders-source" dst="$root/folders-target"
  pcs_start "$src" "$dst"
  # The Unix path of a shell folder of a PC.
  shell_folder() {  # pc, value name
    local win
    win=$( (on_pc "$1" wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' \
            /v "$2" 2>/dev/null || true) | tr -d '\r' | sed -n "s/^ *$2 \{2,\}REG_SZ \{2,\}//p")
    [ -n "$win" ] && on_pc "$1" winepath -u "$win" 2>/dev/null | tr -d '\r' | sed 's|/$||'
  }
  local s_menu s_programs s_sendto s_desktop d_menu d_programs d_sendto d_desktop
  s_menu=$(shell_folder "$src" 'Start Menu'); s_programs=$(shell_folder "$src" Programs)
  s_sendto=$(shell_folder "$src" SendTo); s_desktop=$(shell_folder "$src" Desktop)
  d_menu=$(shell_folder "$dst" 'Start Menu'); d_programs=$(shell_folder "$dst" Programs)
  d_sendto=$(shell_folder "$dst" SendTo); d_desktop=$(shell_folder "$dst" Desktop)
  local d inside=yes
  for d in "$s_menu" "$s_programs" "$s_sendto" "$s_desktop" "$d_menu" "$d_programs" "$d_sendto" \
           "$d_desktop"; do
    case "$d" in "$root"/*) [ -d "$d" ] && [ ! -L "$d" ] || inside=no ;; *) inside=no ;; esac
  done
  check "the shell folders are real folders inside each PC" test "$inside" = yes
  # Nothing below is written anywhere else.
  if [ "$inside" != yes ]; then
    pcs_stop "$src" "$dst"
    return
  fi

  mkdir -p "$s_programs/Qorvel Tools" "$s_desktop/Projects" "$src/drive_c/e2e" "$dst/drive_c/e2e"
  printf 'start menu entry' >"$s_menu/Qorvel Start.lnk"
  printf 'programs entry' >"$s_programs/Qorvel Tools/Notes.lnk"
  printf 'sendto entry' >"$s_sendto/Archive.lnk"
  printf 'plan from the source\r\n' >"$s_desktop/plan.txt"
  printf 'deep\r\n' >"$s_desktop/Projects/deep.txt"
  printf 'the source version\r\n' >"$s_desktop/keep.txt"
  printf 'the target version\r\n' >"$d_desktop/keep.txt"
  printf 'only on the target\r\n' >"$d_desktop/stray.txt"
  printf 'mine' >"$d_menu/Mine.lnk"
  printf 'Personality\r\nStart Menu\r\nSendTo menu\r\nDesktop Icons\r\nEndPersonality\r\n' \
    >"$src/drive_c/e2e/folders.cfg"
  printf 'Connectivity\r\nEndConnectivity\r\n' >>"$src/drive_c/e2e/folders.cfg"

  qorvel_on "$src" -s 'C:\e2e\folders' -c 'C:\e2e\folders' -r 'C:\e2e\save' -q
  check "folders: save exits with 0" test "$rc" -eq 0
  check "folders: the save report lists the Start Menu and Desktop files" \
    bash -c "grep -q 'Qorvel Tools.Notes.lnk' '$src/drive_c/e2e/save.txt' &&
             grep -q 'Projects.deep.txt' '$src/drive_c/e2e/save.txt' &&
             grep -Eq '^[0-9]+ files, [0-9]+KB' '$src/drive_c/e2e/save.txt'"
  cp "$src/drive_c/e2e/folders.qrv" "$dst/drive_c/e2e/folders.qrv"

  local options='HKCU\Software\ZTR\Qorvel\Options' v
  for v in ReplaceStartMenu ReplaceDesktop; do
    on_pc "$dst" wine reg add "$options" /v "$v" /t REG_DWORD /d 0 /f >/dev/null 2>&1
  done
  qorvel_on "$dst" -l 'C:\e2e\folders' -r 'C:\e2e\merge' -q
  check "folders: merge-mode load exits with 0" test "$rc" -eq 0
  check "folders: Start Menu, SendTo and Desktop files arrive" \
    bash -c "cmp -s '$s_menu/Qorvel Start.lnk' '$d_menu/Qorvel Start.lnk' &&
             cmp -s '$s_programs/Qorvel Tools/Notes.lnk' '$d_programs/Qorvel Tools/Notes.lnk' &&
             cmp -s '$s_sendto/Archive.lnk' '$d_sendto/Archive.lnk' &&
             cmp -s '$s_desktop/Projects/deep.txt' '$d_desktop/Projects/deep.txt'"
  check "folders: merge keeps the target's own files and never overwrites" \
    bash -c "grep -q 'the target version' '$d_desktop/keep.txt' && test -f '$d_desktop/stray.txt' &&
             test -f '$d_menu/Mine.lnk' && ! grep -q 'RecycleBin' '$dst/drive_c/e2e/merge.txt'"

  for v in ReplaceStartMenu ReplaceDesktop; do
    on_pc "$dst" wine reg add "$options" /v "$v" /t REG_DWORD /d 1 /f >/dev/null 2>&1
  done
  qorvel_on "$dst" -l 'C:\e2e\folders' -r 'C:\e2e\replace' -q
  check "folders: replace-mode load exits with 0" test "$rc" -eq 0
  check "folders: replace recycles the target's desktop file the source lacks" \
    bash -c "test ! -e '$d_desktop/stray.txt' && test ! -e '$d_menu/Mine.lnk' &&
             grep -q 'stray.txt has been moved to the RecycleBin' '$dst/drive_c/e2e/replace.txt'"
  check "folders: recycled files go to the PC's own trash" \
    bash -c "grep -q 'only on the target' '$dst/home/.local/share/Trash/files/stray.txt'"
  check "folders: replace still never overwrites" grep -q 'the target version' "$d_desktop/keep.txt"

  pcs_stop "$src" "$dst"
}

# The input, sound and accessibility items between two PCs of their own: the
# double-click time, button swap, keyboard repeat delay and speed, the caret
# blink time (Wine neither reads one from the registry nor keeps one that a
# program sets, so only the reports can show it travel), a sound scheme, and
# a cursor scheme whose files only the source has.
run_e2e_input() {  # qorvel.exe
  local exe=$1 root="$build/e2e-input" rc
  local src="$root/source-pc" dst="$root/target-pc"
  pcs_start "$src" "$dst"

  local mouse='HKCU\Control Panel\Mouse' keyboard='HKCU\Control Panel\Keyboard'
  local cursors='HKCU\Control Panel\Cursors' names='HKCU\AppEvents\Schemes\Names'
  local event='HKCU\AppEvents\Schemes\Apps\.Default\SystemStart\.Current' v
  mkdir -p "$src/drive_c/e2e/cursors" "$dst/drive_c/e2e"
  head -c 766 /dev/urandom >"$src/drive_c/e2e/cursors/harbour.cur"
  head -c 4000 /dev/urandom >"$src/drive_c/e2e/cursors/harbour-busy.ani"
  printf 'Files\r\nEndFiles\r\n' >"$src/drive_c/e2e/input.cfg"
  {
    for v in 'DoubleClickSpeed|650' 'SwapMouseButtons|1'; do
      on_pc "$src" wine reg add "$mouse" /v "${v%%|*}" /t REG_SZ /d "${v#*|}" /f
    done
    for v in 'KeyboardDelay|3' 'KeyboardSpeed|20'; do
      on_pc "$src" wine reg add "$keyboard" /v "${v%%|*}" /t REG_SZ /d "${v#*|}" /f
    done
    on_pc "$src" wine reg add "$cursors" /v Arrow /t REG_SZ /d 'C:\e2e\cursors\harbour.cur' /f
    on_pc "$src" wine reg add "$cursors\\Schemes" /v Harbour /t REG_SZ \
      /d 'C:\e2e\cursors\harbour.cur,,C:\e2e\cursors\harbour-busy.ani,C:\e2e\cursors\gone.cur' /f
    on_pc "$src" wine reg add "$names\\Harbour" /ve /t REG_SZ /d 'Harbour Bells' /f
    on_pc "$src" wine reg add "$event" /ve /t REG_SZ /d 'C:\e2e\bells.wav' /f
  } >/dev/null 2>&1

  qorvel_on "$src" -s 'C:\e2e\input' -c 'C:\e2e\input' -r 'C:\e2e\input-save' -q
  check "input items: save exits with 0" test "$rc" -eq 0
  check "input items: the save report describes mouse, keyboard and sounds" \
    bash -c "grep -q 'The double click time is 650 ms.' '$src/drive_c/e2e/input-save.txt' &&
             grep -q 'Mouse buttons are swapped (Left-handed usage)' '$src/drive_c/e2e/input-save.txt' &&
             grep -q 'Keyboard repeat delay is 3ms.' '$src/drive_c/e2e/input-save.txt' &&
             grep -q '^Caret blink speed is [1-9][0-9]*ms.' '$src/drive_c/e2e/input-save.txt' &&
             grep -q '^Harbour Bells' '$src/drive_c/e2e/input-save.txt'"

  cp "$src/drive_c/e2e/input.qrv" "$dst/drive_c/e2e/input.qrv"
  qorvel_on "$dst" -l 'C:\e2e\input' -r 'C:\e2e\input-load' -q
  check "input items: load exits with 0" test "$rc" -eq 0
  local got=()
  got+=("$(on_pc "$dst" reg_value "$mouse" DoubleClickSpeed)")
  got+=("$(on_pc "$dst" reg_value "$mouse" SwapMouseButtons)")
  got+=("$(on_pc "$dst" reg_value "$keyboard" KeyboardDelay)")
  got+=("$(on_pc "$dst" reg_value "$keyboard" KeyboardSpeed)")
  check "input items: double-click time and button swap arrive" \
    test "${got[0]}|${got[1]}" = "650|1"
  check "input items: keyboard repeat delay and speed arrive" \
    test "${got[2]}|${got[3]}" = "3|20"
  local blink
  blink=$(tr -d '\r' <"$src/drive_c/e2e/input-save.txt" | grep '^Caret blink speed is ' || true)
  check "input items: the caret blink time travels (the load report gives the source's)" \
    bash -c "test -n '$blink' && tr -d '\r' <'$dst/drive_c/e2e/input-load.txt' | grep -qx '$blink'"
  local bells sound
  bells=$( (on_pc "$dst" wine reg query "$names\\Harbour" /ve 2>/dev/null || true) | tr -d '\r' |
           grep -c 'Harbour Bells' || true)
  sound=$( (on_pc "$dst" wine reg query "$event" /ve 2>/dev/null || true) | tr -d '\r' |
           grep -c 'C:\\e2e\\bells.wav' || true)
  check "input items: the sound scheme arrives" test "$bells|$sound" = "1|1"
  check "input items: the cursor scheme arrives with its files, in lower case" \
    bash -c "cmp -s '$src/drive_c/e2e/cursors/harbour.cur' '$dst/drive_c/e2e/cursors/harbour.cur' &&
             cmp -s '$src/drive_c/e2e/cursors/harbour-busy.ani' '$dst/drive_c/e2e/cursors/harbour-busy.ani' &&
             test ! -e '$dst/drive_c/e2e/cursors/gone.cur' &&
             test '$(on_pc "$dst" reg_value "$cursors" Arrow)' = 'C:\\e2e\\cursors\\harbour.cur'"

  pcs_stop "$src" "$dst"
}

# The display items between two more PCs: colours and window metrics set on
# the source arrive on the target; then the same file, its source record made
# to claim an 800x600 screen, arrives on the 1024x768 target scaled by 1.28.
# What Wine answers afterwards is read back through a describing save on the
# target (a new process asks SystemParametersInfo and GetSysColor afresh).
run_e2e_display() {  # qorvel.exe
  local exe=$1 root="$build/e2e" rc
  local src="$root/display-source-pc" dst="$root/display-target-pc"
  pcs_start "$src" "$dst"

  local cfg='Personality\r\nDisplay\r\nIcon metrics\r\nWindow metrics\r\nColors\r\nEndPersonality\r\nConnectivity\r\nEndConnectivity\r\nFiles\r\nEndFiles\r\n'
  mkdir -p "$src/drive_c/e2e" "$dst/drive_c/e2e"
  printf "$cfg" >"$src/drive_c/e2e/display.cfg"
  printf "$cfg" >"$dst/drive_c/e2e/display.cfg"
  # Wine keeps the colours in Control Panel\Colors and reads the window
  # metrics there in twips (-15 per pixel): a caption of 25 pixels, a menu
  # bar of 20. What the target's calls store comes back in pixels.
  local metrics='HKCU\Control Panel\Desktop\WindowMetrics' colors='HKCU\Control Panel\Colors'
  {
    on_pc "$src" wine reg add "$colors" /v Background /t REG_SZ /d '128 0 64' /f
    on_pc "$src" wine reg add "$colors" /v Window /t REG_SZ /d '250 240 230' /f
    on_pc "$src" wine reg add "$metrics" /v CaptionHeight /t REG_SZ /d -375 /f
    on_pc "$src" wine reg add "$metrics" /v MenuHeight /t REG_SZ /d -300 /f
  } >/dev/null 2>&1

  qorvel_on "$src" -s 'C:\e2e\display' -c 'C:\e2e\display' -r 'C:\e2e\display-save' -q
  local saved="$src/drive_c/e2e/display-save.txt"
  check "display: the save describes the source's colours and metrics" \
    bash -c "test $rc -eq 0 && grep -q '^Desktop : 128 0 64' '$saved' &&
             grep -q '^Window background : 250 240 230' '$saved' &&
             grep -q '^Height of caption buttons : 25 pixels' '$saved' &&
             grep -q '^Height of menu-bar buttons : 20 pixels' '$saved' &&
             grep -q '^Screen width  : [0-9]* pixels' '$saved'"

  # Load as saved, then describe the target with a save of its own.
  cp "$src/drive_c/e2e/display.qrv" "$dst/drive_c/e2e/display.qrv"
  qorvel_on "$dst" -l 'C:\e2e\display' -r 'C:\e2e\display-load' -q
  on_pc "$dst" wine "$exe" -s 'C:\e2e\after' -c 'C:\e2e\display' -r 'C:\e2e\after' -q || true
  local after="$dst/drive_c/e2e/after.txt" face
  face=$(grep -a '^Icon font is ' "$saved" | tr -d '\r' | cut -c14- || true)
  check "display: colours, window metrics and the icon font arrive on the target" \
    bash -c "test $rc -eq 0 && grep -q '^Desktop : 128 0 64' '$after' &&
             grep -q '^Window background : 250 240 230' '$after' &&
             grep -q '^Height of caption buttons : 25 pixels' '$after' &&
             grep -q '^Height of menu-bar buttons : 20 pixels' '$after' &&
             test -n '$face' && grep -q '^Icon font is $face' '$after'"
  check "display: the target keeps them in its registry" \
    test "$(on_pc "$dst" reg_value "$colors" Background)|$(on_pc "$dst" reg_value "$metrics" CaptionHeight)" \
         = "128 0 64|25"
  check "display: the load report asks for a restart" \
    grep -q 'The system must be restarted for some settings to take effect.' "$dst/drive_c/e2e/display-load.txt"

  # The same file from an 800x600 screen at 96 pixels per inch: the source
  # record's four integers 1024, 768, 96, 96 become 800, 600, 96, 96.
  perl -0777 -pe 's/\x00\x04\0\0\x00\x03\0\0\x60\0\0\0\x60\0\0\0/\x20\x03\0\0\x58\x02\0\0\x60\0\0\0\x60\0\0\0/' \
    "$src/drive_c/e2e/display.qrv" >"$dst/drive_c/e2e/small.qrv" || true
  check "display: the source record is made to claim 800x600" \
    bash -c "! cmp -s '$src/drive_c/e2e/display.qrv' '$dst/drive_c/e2e/small.qrv'"
  local icons want
  icons=$(grep -o '^Icon horizontal spacing is [0-9]*' "$saved" | grep -o '[0-9]*$' || true)
  want=$(( ${icons:-0} * 128 / 100 ))
  qorvel_on "$dst" -l 'C:\e2e\small' -r 'C:\e2e\small-load' -q
  on_pc "$dst" wine "$exe" -s 'C:\e2e\scaled' -c 'C:\e2e\display' -r 'C:\e2e\scaled' -q || true
  local scaled="$dst/drive_c/e2e/scaled.txt"
  check "display: from 800x600 the metrics arrive scaled by 1.28 (25 -> 32, 20 -> 25)" \
    bash -c "test $rc -eq 0 && grep -q '^Height of caption buttons : 32 pixels' '$scaled' &&
             grep -q '^Height of menu-bar buttons : 25 pixels' '$scaled' &&
             test '${icons:-0}' -gt 0 && grep -Eq '^Icon horizontal spacing is $want([^0-9]|\$)' '$scaled'"
  check "display: Wine's registry holds the scaled caption" \
    test "$(on_pc "$dst" reg_value "$metrics" CaptionHeight)" = 32

  pcs_stop "$src" "$dst"
}

# Shared folders, mapped drives and dial-up entries between the two PCs: a
# share written into the source's LanmanServer key reaches the target's
# registry. Wine has no network drives and an empty phone book (one virtual
# modem), so for those the reports show what Wine offers.
e2e_shares_and_dialup() {  # qorvel.exe, source prefix, target prefix
  local exe=$1 src=$2 dst=$3 rc
  local shares='HKLM\System\CurrentControlSet\Services\LanmanServer\Shares'
  local lines='MaxUses=4294967295\0Path=C:\e2e\Docs\0Permissions=0\0Remark=Harbour charts\0Type=0'
  on_pc "$src" wine reg add "$shares" /v HARBOUR /t REG_MULTI_SZ /d "$lines" /f >/dev/null 2>&1
  on_pc "$src" wine reg add "$shares\Security" /v HARBOUR /t REG_BINARY /d 0100048001020304 /f \
    >/dev/null 2>&1
  printf 'Personality\r\nEndPersonality\r\nConnectivity\r\nMapped Drives\r\nShared Folders and Drives\r\nRAS Networking connections\r\nEndConnectivity\r\n' \
    >"$src/drive_c/e2e/net.cfg"
  qorvel_on "$src" -s 'C:\e2e\net' -c 'C:\e2e\net' -r 'C:\e2e\net-save' -q
  check "shares, drives and dial-up: the save exits with 0" test "$rc" -eq 0
  cp "$src/drive_c/e2e/net.qrv" "$dst/drive_c/e2e/net.qrv"
  qorvel_on "$dst" -l 'C:\e2e\net' -r 'C:\e2e\net-load' -q
  check "shares, drives and dial-up: the load exits with 0" test "$rc" -eq 0
  check "the share arrives in the target's LanmanServer key, with its security" \
    bash -c "test \"\$1\" = '$lines' && test \"\$2\" = 0100048001020304" _ \
    "$(on_pc "$dst" reg_value "$shares" HARBOUR)" "$(on_pc "$dst" reg_value "$shares\Security" HARBOUR)"
  local report
  for report in "$src/drive_c/e2e/net-save.txt" "$dst/drive_c/e2e/net-load.txt"; do
    check "the ${report##*/net-} report describes the share" \
      bash -c "tr -d '\r' <'$report' | grep -qx '1 Shared Drives and Folders' &&
               tr -d '\r' <'$report' | grep -qx 'Name : HARBOUR' &&
               tr -d '\r' <'$report' | grep -qxF 'Path : C:\e2e\Docs' &&
               tr -d '\r' <'$report' | grep -qx 'Comment : Harbour charts'"
    check "the ${report##*/net-} report gives Wine's drives and phone book" \
      bash -c "tr -d '\r' <'$report' | grep -qx '0 mapped network drives.' &&
               tr -d '\r' <'$report' | grep -qx '0 RAS Phone Book Entries found.' &&
               ! grep -q 'Remote Access Services are not installed' '$report'"
  done
}
