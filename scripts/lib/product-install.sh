# Shell helpers shared by the demo and the downtime benchmark: a product installation in a Wine prefix
# (the stand-in product, our language files, an older data file, the uninstall entry) and its readings.
# Source it with WINEPREFIX set and the Windows build in $build.

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velora'

# set_up_product FOLDER [SIZE]: a fresh installation in FOLDER (a Unix path inside the prefix's drive C:),
# its data file SIZE bytes long (by default the shipped file's 2146760).
set_up_product() {
  local product=$1 size=${2:-2146760}
  rm -rf "$product"
  mkdir -p "$product/language"
  cp "$(find "$build/tests/e2e" -name velora.exe -print -quit)" "$product/velora.exe"
  local lng
  for lng in english.lng russian.lng; do cp "$(find "$build/tests/e2e" -name "$lng" -print -quit)" "$product/language/"; done
  bash "$repo/scripts/make-payload.sh" "$product/vlfw.3bs" "$size" 0
  printf 'hold=vlfw.3bs\nrelease_on_quit=1\n' >"$product/velora-standin.ini"
  : >"$product/velora-standin.log"
  wine reg add "$uninstall_key" /v UninstallString /d "$(winepath -w "$product")\\uninst.exe" /f /reg:64 >/dev/null
  wine reg add "$uninstall_key" /v EstimatedSize /t REG_DWORD /d 1 /f /reg:64 >/dev/null
  wine reg delete 'HKCU\Software\Orvane\Velora' /f >/dev/null 2>&1 || true
}

# start_product FOLDER: starts the stand-in with FOLDER current and waits until it is ready.
start_product() {
  local product=$1
  (cd "$product" && setsid wine velora.exe </dev/null >/dev/null 2>&1 &)
  for _ in $(seq 200); do grep -q ' ready' "$product/velora-standin.log" 2>/dev/null && return 0; sleep 0.05; done
  echo "the stand-in product did not start" >&2
  return 1
}

estimated_size() {
  local hex
  hex=$(wine reg query "$uninstall_key" /v EstimatedSize /reg:64 2>/dev/null | tr -d '\r' |
    awk '/EstimatedSize/ { print $3 }')
  if [ -n "$hex" ]; then echo "$((hex)) KiB"; else echo "none"; fi
}

data_version() { if [ -f "$1" ]; then od -An -tu1 -j5 -N1 "$1" | tr -d ' '; else echo "none"; fi; }

# log_ms LINE: the stand-in log line's time stamp in milliseconds since the epoch.
log_ms() { date -d "$(cut -c1-23 <<<"$1")" +%s%3N; }
