#!/usr/bin/env bash
# The Windows selvane-cli reads and writes a card through a COM port: Wine maps COM7 to the
# pseudo-terminal where the native selvane-reader-sim answers as a MemCARDuino, then a DexDrive,
# so the Win32 serial port code runs against a reader. Everything happens in a Wine prefix of
# the test's own, whose server it restarts.
# Arguments: the native selvane-reader-sim, the Windows selvane-cli.exe, a card file, a work folder.
set -euo pipefail
sim=$1 cli=$2 card=$3 work=$4
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" SELVANE_READER_TIMEOUT_MS=2000
rm -rf "$work/files"
mkdir -p "$work/files" "$WINEPREFIX"
cd "$work/files"
cp "$card" card.mcr

# Wine's server and its services inherit the output of whatever starts them, and ctest would wait
# for them: the server is always started here, detached, before any Wine program runs.
start_wine() { wineserver -p </dev/null >/dev/null 2>&1; }
stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}
reader=
finish() {
  if [ -n "$reader" ]; then kill "$reader" 2>/dev/null || true; fi
  stop_wine
}
trap finish EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

stop_wine
start_wine
[ -e "$WINEPREFIX/system.reg" ] || wineboot -i </dev/null >/dev/null 2>&1

# Starts the simulator (its arguments: reader kind, card file, options) and maps COM7 to its
# terminal. Wine's mount manager reads the Ports key when it starts with the server's services, and
# only then points dosdevices/com7 at the terminal: the server is restarted, a Wine program starts
# the services, and the link is waited for (a program started sooner may open the last terminal).
start_reader() {
  "$sim" --reader "$@" >reader.path 2>reader.log &
  reader=$!
  for _ in $(seq 100); do
    [ -s reader.path ] && break
    sleep 0.05
  done
  [ -s reader.path ] || fail "selvane-reader-sim gave no terminal: $(cat reader.log)"
  wine reg add 'HKLM\Software\Wine\Ports' /v COM7 /t REG_SZ /d "$(cat reader.path)" /f </dev/null >/dev/null
  stop_wine
  start_wine
  wine reg query 'HKLM\Software\Wine\Ports' /v COM7 </dev/null >/dev/null
  for _ in $(seq 200); do
    [ "$(readlink "$WINEPREFIX/dosdevices/com7")" = "$(cat reader.path)" ] && return
    sleep 0.05
  done
  fail "Wine did not map COM7 to $(cat reader.path)"
}
stop_reader() {
  kill "$reader"
  wait "$reader" || fail "selvane-reader-sim: $(cat reader.log)"
  reader=
}

start_reader memcarduino card.mcr
status=0
wine "$cli" read COM7 read.mcr </dev/null || status=$?
[ "$status" = 0 ] || fail "read COM7 exited with $status"
cmp -s read.mcr card.mcr || fail "the card read through COM7 is not the reader's card"
stop_reader

# A card the reader cannot give whole: exit status 1, the frame named, no file.
start_reader memcarduino card.mcr --bad-sector 700
wine "$cli" read COM7 bad.mcr </dev/null 2>bad.err && fail "read COM7 of a bad sector succeeded"
grep -q '^COM7: frame 700: ' bad.err || fail "read COM7 of a bad sector said: $(cat bad.err)"
[ ! -e bad.mcr ] || fail "a failed read wrote bad.mcr"
stop_reader

wine "$cli" new empty.mcr </dev/null >/dev/null
start_reader dexdrive empty.mcr --save
wine "$cli" write card.mcr COM7 --backup before.mcr </dev/null || status=$?
[ "$status" = 0 ] || fail "write to COM7 exited with $status"
stop_reader
cmp -s empty.mcr card.mcr || fail "the reader's card is not the card written through COM7"
echo "read a MemCARDuino's card and wrote a DexDrive's through COM7"
