#!/usr/bin/env bash
# scripts/wine-run's lock on the prefix it makes: nothing started while the
# prefix is made keeps the lock, and a run that finds the lock held past its
# bound ends, naming what holds it. Stand-ins replace Wine, so nothing here
# has to hang for real.
#
#   prefix-lock.sh WORK_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/bin"
# wineboot makes the prefix and leaves a process behind, as a service that
# outlives its session does
cat >"$work/bin/wineboot" <<'STANDIN'
#!/bin/sh
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts" && touch "$WINEPREFIX/system.reg"
sleep 60 </dev/null >/dev/null 2>&1 &
echo $! >"$WINEPREFIX.left"
STANDIN
printf '#!/bin/sh\nexit 0\n' >"$work/bin/wine"
cp "$work/bin/wine" "$work/bin/wineserver"
chmod +x "$work/bin/"*
export PATH="$work/bin:$PATH" QV_WINEPREFIX="$work/prefix" QV_LOCK_WAIT=3
lock=$(readlink -f "$work/prefix.lock")
left=
holder=
trap 'kill "$left" 2>/dev/null; [ -z "$holder" ] || kill -- "-$holder" 2>/dev/null; true' EXIT

"$root/scripts/wine-run" x.exe || fail "the first run, which makes the prefix, failed"
left=$(cat "$work/prefix.left")
[ -d "/proc/$left" ] || fail "the stand-in's leftover process is gone"
if find "/proc/$left/fd" -lname "$lock" | grep -q .; then
  fail "a process started while the prefix was made holds its lock"
fi

setsid flock "$lock" sleep 60 </dev/null >/dev/null 2>&1 &
holder=$!
sleep 0.5
start=$SECONDS
status=0
said=$("$root/scripts/wine-run" x.exe 2>&1) || status=$?
echo "$said"
[ "$status" -eq 125 ] || fail "a run that waited for the lock in vain exited with $status"
[ $((SECONDS - start)) -le $((QV_LOCK_WAIT + 10)) ] || fail "the wait outlasted its bound"
grep -q "^  [0-9]* flock $lock sleep 60$" <<<"$said" || fail "the lock's holder is not named"
echo "OK"
