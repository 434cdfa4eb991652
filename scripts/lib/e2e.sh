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

run_e2e() {  # qorvel.exe
  local exe=$1 root="$build/e2e" rc
  local src="$root/source-pc" dst="$root/target-pc"
  (fresh_prefix "$src")
  (fresh_prefix "$dst")
  (use_prefix "$src" && wineserver -p >/dev/null 2>&1)
  (use_prefix "$dst" && wineserver -p >/dev/null 2>&1)
  on_pc() { local pc=$1; shift; (use_prefix "$pc" && "$@" </dev/null); }

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

  rc=0
  on_pc "$src" wine "$exe" -s 'C:\e2e\pc1' -c 'C:\e2e\files' -r 'C:\e2e\save' -q || rc=$?
  check "save exits with 0" test "$rc" -eq 0
  check "the settings file starts with its header" \
    bash -c "head -c 11 '$src/drive_c/e2e/pc1.qrv' | tail -c 7 | grep -q 'ZTR QRV'"
  check "the save report names the file and the data files" \
    bash -c "grep -q 'Settings saved to : C:.e2e.pc1.qrv' '$src/drive_c/e2e/save.txt' &&
             grep -q 'Saved C:.e2e.Docs.Sub.b.txt' '$src/drive_c/e2e/save.txt'"

  cp "$src/drive_c/e2e/pc1.qrv" "$dst/drive_c/e2e/pc1.qrv"
  rc=0
  on_pc "$dst" wine "$exe" -l 'C:\e2e\pc1' -b 'C:\e2e\before' -r 'C:\e2e\load' -q || rc=$?
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
  rc=0
  on_pc "$src" wine "$exe" -a 'C:\e2e\apps' || rc=$?
  check "-a lists the installed applications" \
    bash -c "test $rc -eq 0 && head -1 '$src/drive_c/e2e/apps.txt' | grep -q '^[0-9]* Installed applications detected' &&
             grep -q '^Picture Viewer 3' '$src/drive_c/e2e/apps.txt'"

  rc=0
  on_pc "$dst" wine "$exe" -l 'C:\e2e\missing' -q || rc=$?
  check "a failed quiet load exits with 1" test "$rc" -eq 1
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
    (use_prefix "$dst" && wineserver -k >/dev/null 2>&1) || true
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
    (use_prefix "$dst" && wineserver -k >/dev/null 2>&1) || true
  fi
  wait "$pid" 2>/dev/null || true
  check "closing the main window ends the program with 0" test "$(cat "$rc_file")" = 0
  rm -f "$rc_file"

  (use_prefix "$src" && wineserver -k >/dev/null 2>&1) || true
  (use_prefix "$dst" && wineserver -k >/dev/null 2>&1) || true
}
