#!/bin/sh
# The real Windows launcher (the win64 build of Veltharn.exe, which talks to 127.0.0.1:29009)
# under Wine and Xvfb, updating a fresh client folder from the reference update server, driven
# and checked from outside:
# - a new launcher program whose trailer does not match it is refused: the copy is never started;
# - a good one replaces Veltharn.exe: the old launcher ends, the new one starts and updates;
# - the files and the registry values, the window's buttons, bars and status line;
# - the agent step with the real Pellorix.dll, which does nothing on a system that is not Korean;
# - a second start that leaves the first window alone and ends, Full Check running the exchange
#   again, and Start running the game from .\system in place of the launcher;
# - in Korean, with a stand-in Pellorix.dll whose agent answers: the agreement dialog, accepted
#   (the agent is told to install), declined (the launcher ends), or not needed.
# Usage: scripts/wine-e2e.sh WIN64_BUILD_DIR NATIVE_BUILD_DIR
# VELTHARN_SCREENSHOT=FILE.png keeps a picture of the window at the end of the update,
# VELTHARN_AGREEMENT_SCREENSHOT=FILE.png one of the agreement dialog.
set -eu
win64="$1"
native="$2"
port=29009
# The window title is text 603 of the language Wine runs in (LC_ALL); the Korean one for a run
# with LC_ALL=ko_KR.UTF-8.
title="${VELTHARN_E2E_TITLE:-Veltharn Automatic Update}"
exe=$(find "$win64" -maxdepth 5 -name Veltharn.exe -type f | head -n 1)
driver=$(find "$win64" -maxdepth 4 -name veltharn_driver.exe -type f | head -n 1)
server=$(find "$native" -maxdepth 4 -name veltharn-update-server -type f | head -n 1)
trailer=$(find "$native" -maxdepth 4 -name veltharn-trailer -type f | head -n 1)
agent=$(find "$win64" -maxdepth 4 -name Pellorix.dll -type f | head -n 1)
answering=$(find "$win64" -maxdepth 4 -name answering_agent.dll -type f | head -n 1)
[ -n "$exe" ] && [ -n "$driver" ] && [ -n "$server" ] && [ -n "$trailer" ] && [ -n "$agent" ] &&
  [ -n "$answering" ] || { echo "wine-e2e: build first"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/veltharn-wine-e2e.XXXXXX")
mkdir -p "$work/client" "$work/release/system"
cp "$exe" "$work/client/Veltharn.exe"
cp "$agent" "$work/client/Pellorix.dll"
# The new launcher: the same program with a few bytes more and its own trailer. A damaged one:
# the same with its last byte before the trailer changed, so that the trailer no longer fits.
cp "$exe" "$work/new-launcher.exe"
printf 'the next launcher\n' >>"$work/new-launcher.exe"
"$trailer" append "$work/new-launcher.exe" 61 317 >/dev/null
cp "$work/new-launcher.exe" "$work/damaged-launcher.exe"
size=$(stat -c %s "$work/damaged-launcher.exe")
printf '!' | dd of="$work/damaged-launcher.exe" bs=1 seek=$((size - 21)) conv=notrunc 2>/dev/null
printf '1300\n2\n' >"$work/release/version.txt"
# The driver stands in for the game: started as qor.exe it notes where it runs.
cp "$driver" "$work/release/system/qor.exe"
yes 'compressible map data' | head -c 500000 >"$work/release/system/map.pak"
for f in system/qor.exe system/map.pak; do "$trailer" append "$work/release/$f" 1300 0 >/dev/null; done

. scripts/wine-prefix.sh
. scripts/xvfb.sh
server_pid=""
cleanup() {
  wine_prefix_stop
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  xvfb_stop
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

fail() {
  echo "wine-e2e: $1"
  cat "$work/server.log" "$work/reg.txt" "$work/wine.out" "$work/agent-calls.txt" 2>/dev/null || true
  grep -v -e wine32 -e multiarch -e "apt-get" -e "^execute" -e ':process:' -e ':loaddll:' \
    "$work/wine.err" 2>/dev/null | head -n 20
  exit 1
}
drive() { wine "$work/driver.exe" "$@" 2>>"$work/driver.err" </dev/null; }
# serve LOG [--launcher FILE]: the reference server on the release, in place of the one before.
serve() {
  [ -n "$server_pid" ] && { kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null || true; }
  log="$1"
  shift
  "$server" --release "$work/release" --port "$port" --log "$log" "$@" &
  server_pid=$!
  for _ in $(seq 1 50); do
    grep -q '127\.0\.0\.1' "$log" 2>/dev/null && return 0
    kill -0 "$server_pid" 2>/dev/null || fail "the update server cannot listen on port $port"
    sleep 0.1
  done
  fail "the update server did not start"
}
# launch NAME [VARIABLE=VALUE...]: starts the launcher in the client folder; its output goes to
# NAME.out and NAME.err, its exit status to NAME.status once it has ended.
launch() {
  name="$1"
  shift
  (cd "$work/client" && code=0 &&
    env "$@" wine Veltharn.exe >"$work/$name.out" 2>"$work/$name.err" </dev/null || code=$?
   echo "$code" >"$work/$name.status") &
}
# ended NAME SECONDS: the launcher of that name has ended; prints its exit status.
ended() {
  for _ in $(seq 1 $(($2 * 10))); do
    [ -s "$work/$1.status" ] && { cat "$work/$1.status"; return 0; }
    sleep 0.1
  done
  return 1
}

xvfb_start
wine_prefix_start
cp "$driver" "$work/driver.exe"

# A new launcher that fails its trailer check: the running one ends with 1 and never starts the
# copy, so Veltharn.exe stays as it was.
serve "$work/server-damaged.log" --launcher "$work/damaged-launcher.exe"
launch damaged WINEDEBUG=err+all,+process
status=$(ended damaged 60) || fail "the launcher given a damaged program did not end"
[ "$status" = 1 ] || fail "the launcher given a damaged program ended with $status, not 1"
grep -q 'sent: Veltharn.exe (kind 3' "$work/server-damaged.log" || fail "no damaged program was sent"
cmp -s "$work/damaged-launcher.exe" "$work/client/Veltharn.new" || fail "Veltharn.new is not the download"
[ -e "$work/client/Veltharn.nex" ] || fail "no copy Veltharn.nex was made to be checked"
sleep 2  # a copy that had been started would have replaced Veltharn.exe by now
grep -q 'CreateProcessInternalW .*Veltharn\.nex' "$work/damaged.err" && fail "the damaged copy was started"
cmp -s "$exe" "$work/client/Veltharn.exe" || fail "Veltharn.exe changed after a damaged download"
[ -e "$work/client/Veltharn.new" ] || fail "Veltharn.new was moved after a damaged download"
[ "$(drive count "$title" | tr -d '\r')" = "0" ] || fail "a launcher runs after the damaged download"
echo "wine-e2e: a new launcher failing its trailer check ended the old one with 1 and was never started"

# A good new launcher: the old one hands over to its copy Veltharn.nex and ends; the copy puts
# the new program in place of Veltharn.exe and starts it; the new one deletes the copy, connects
# again and updates the client. Its agent step loads the real Pellorix.dll.
serve "$work/server.log" --launcher "$work/new-launcher.exe"
launch wine WINEDEBUG=err+all,+process,+loaddll
status=$(ended wine 60) || fail "the old launcher did not end after the new one arrived"
[ "$status" = 0 ] || fail "the old launcher ended with $status, not 0"
grep -q 'CreateProcessInternalW .*Veltharn\.nex' "$work/wine.err" || fail "Veltharn.nex was not started"
drive wait "$title" 30 || fail "no window of the new launcher"
owner=$(drive owner "$title" | tr -d '\r')
case "$owner" in
  *'\client\Veltharn.exe') ;;
  *) fail "the window belongs to $owner, not to the new Veltharn.exe" ;;
esac
cmp -s "$work/new-launcher.exe" "$work/client/Veltharn.exe" || fail "Veltharn.exe is not the new launcher"
"$trailer" show "$work/client/Veltharn.exe" >"$work/trailer.txt"
grep -qx 'word0 61' "$work/trailer.txt" && grep -qx 'word1 317' "$work/trailer.txt" &&
  grep -q 'matches' "$work/trailer.txt" || fail "the new Veltharn.exe has the trailer $(cat "$work/trailer.txt")"
[ ! -e "$work/client/Veltharn.nex" ] && [ ! -e "$work/client/Veltharn.new" ] ||
  fail "Veltharn.nex or Veltharn.new is left beside the new launcher"
(cd "$work/client" && drive resources Veltharn.exe >"$work/resources.txt") ||
  fail "resources: $(cat "$work/resources.txt")"

# The exchange runs, then the agent step (no Pellorix.dll here) ends with Start enabled.
for _ in $(seq 1 600); do
  grep -q '^exchange completed' "$work/server.log" && break
  sleep 0.1
done
grep -q '^exchange completed' "$work/server.log" || fail "the exchange did not complete"
grep -q '^exchange handed over' "$work/server.log" || fail "the server did not hand over"
grep -q '^same: Veltharn.exe' "$work/server.log" || fail "the new launcher was offered itself again"
# Start is disabled from the connect on, until the agent step has ended.
drive wait-enabled "$title" 1001 60 || fail "Start was not enabled"
# Not a Korean system: Pellorix.dll answers 17 to the check and to the install, so it is loaded
# (from the client folder) and freed twice, the inspection never comes, and the step ends with
# message 661, both buttons enabled and Start focused.
drive wait-status "$title" "$work/client/Veltharn.exe" 661 10 >"$work/status.txt" ||
  fail "the status line does not show message 661: $(cat "$work/status.txt")"
# The reading tells texts apart: asked for another one, it names the one shown.
drive wait-status "$title" "$work/client/Veltharn.exe" 703 0 >"$work/status.txt" &&
  fail "the status line was read as message 703 too"
[ "$(tr -d '\r' <"$work/status.txt")" = "status 661" ] ||
  fail "the status line was read as $(cat "$work/status.txt"), not as 661"
loads=$(grep -c 'Loaded L".*client.*Pellorix\.dll"' "$work/wine.err" || true)
frees=$(grep -c 'Unloaded module L".*client.*Pellorix\.dll"' "$work/wine.err" || true)
[ "$loads" = 2 ] && [ "$frees" = 2 ] || fail "Pellorix.dll was loaded $loads and freed $frees times, not 2"
state=$(drive state "$title" | tr -d '\r')
echo "wine-e2e: window after the update: $state"
case "$state" in
  "fullcheck=1 start=1 cancel=1 close=1 size=800x600 shape=skin drag=caption focus=1001 "*) ;;
  *) fail "unexpected window state: $state" ;;
esac
total=$(echo "$state" | sed -n 's/.*total=\([0-9]*\)\/\([0-9]*\).*/\1 \2/p')
set -- $total
[ "$#" -eq 2 ] && [ "$1" -eq "$2" ] && [ "$2" -gt 0 ] || fail "the total bar is not full: $state"
if [ -n "${VELTHARN_SCREENSHOT:-}" ]; then
  xwd -root -silent -display "$DISPLAY" | convert xwd:- -crop 800x600+0+0 "$VELTHARN_SCREENSHOT" || true
fi

wine reg query 'HKLM\SOFTWARE\Brennix\QorTestClient' >"$work/reg.txt" 2>&1 </dev/null || true
grep -q 'global_version *REG_DWORD *0x514' "$work/reg.txt" || fail "global_version is not 1300"
grep -q 'separate_version *REG_DWORD *0x2' "$work/reg.txt" || fail "separate_version is not 2"
cmp -s "$work/release/system/qor.exe" "$work/client/system/qor.exe" || fail "qor.exe differs"
cmp -s "$work/release/system/map.pak" "$work/client/system/map.pak" || fail "map.pak differs"
grep -q 'kind 4' "$work/server.log" || fail "no compressed transfer was made"

# A second launcher finds the first by its window and ends; the first stays.
(cd "$work/client" && wine Veltharn.exe >"$work/second.out" 2>"$work/second.err" </dev/null) ||
  fail "the second launcher did not end cleanly"
[ "$(drive count "$title" | tr -d '\r')" = "1" ] || fail "not exactly one launcher window"

# Full Check runs the exchange again, inspecting every file, and ends with Start enabled again.
drive click "$title" 1000 || fail "Full Check cannot be clicked"
for _ in $(seq 1 600); do
  [ "$(grep -c '^exchange completed' "$work/server.log")" -ge 2 ] && break
  sleep 0.1
done
[ "$(grep -c '^exchange completed' "$work/server.log")" -ge 2 ] || fail "Full Check did not complete"
drive wait-enabled "$title" 1001 60 || fail "Start was not enabled after Full Check"

# Start runs .\qor.exe in .\system and the launcher ends.
drive click "$title" 1001 || fail "Start cannot be clicked"
drive gone "$title" 20 || fail "the launcher did not end after Start"
for _ in $(seq 1 50); do [ -s "$work/client/system/game-started.txt" ] && break; sleep 0.1; done
grep -q 'folder .*\\system' "$work/client/system/game-started.txt" 2>/dev/null ||
  fail "the game was not started in .\\system"
echo "wine-e2e: the new Veltharn.exe updated a client to 1300 under Wine, refused a second copy, ran Full Check and started the game"

# In Korean, with an agent that answers. Titles come from the program, in the language it runs in.
cp "$answering" "$work/client/Pellorix.dll"
export LC_ALL=ko_KR.UTF-8
ko_title=$(drive text "$work/client/Veltharn.exe" 603 | tr -d '\r')
terms=$(drive text "$work/client/Veltharn.exe" 710 | tr -d '\r')
[ -n "$ko_title" ] && [ -n "$terms" ] || fail "no Korean title in Veltharn.exe"
program="$work/client/Veltharn.exe"
calls="$work/client/agent-calls.txt"

# Result 0 (the Windows update is missing): the terms; OK is enabled by the first tick and stays
# so, Escape does nothing, and OK has the agent install it.
launch accepted VELTHARN_AGENT_RESULT=0
drive wait "$terms" 60 || fail "no agreement dialog"
# The whole terms and nothing after them, all 70 lines.
drive terms "$terms" "$program" >"$work/terms.txt" && grep -q ', 70 lines' "$work/terms.txt" ||
  fail "$(cat "$work/terms.txt")"
[ "$(drive controls "$terms" 1009 1008 1010 | tr -d '\r')" = "1009=0/0 1008=1/0 1010=1/0" ] ||
  fail "at first OK must be disabled and the box clear: $(drive controls "$terms" 1009 1008 1010)"
if [ -n "${VELTHARN_AGREEMENT_SCREENSHOT:-}" ]; then
  # Taken from the dialog's own pixels: without a window manager, Wine leaves this owned window
  # unpainted on the X screen although it has painted itself.
  drive capture "$terms" "$work/agreement.bmp" &&
    convert "$work/agreement.bmp" "$VELTHARN_AGREEMENT_SCREENSHOT" || true
fi
drive click "$terms" 1008 && sleep 0.3 && drive click "$terms" 1008 && sleep 0.3 ||
  fail "the box cannot be clicked"
[ "$(drive controls "$terms" 1009 1008 | tr -d '\r')" = "1009=1/0 1008=1/0" ] ||
  fail "OK must stay enabled once the box was ticked: $(drive controls "$terms" 1009 1008)"
drive escape "$terms" && sleep 0.5
[ "$(drive count "$terms" | tr -d '\r')" = "1" ] || fail "Escape closed the agreement dialog"
drive click "$terms" 1009 || fail "OK cannot be clicked"
drive gone "$terms" 10 || fail "OK did not close the agreement dialog"
drive wait-enabled "$ko_title" 1001 20 || fail "Start was not enabled after the terms"
drive wait-status "$ko_title" "$program" 661 10 >"$work/status.txt" ||
  fail "the status line does not show message 661 after the terms: $(cat "$work/status.txt")"
case "$(drive state "$ko_title" | tr -d '\r')" in
  "fullcheck=1 start=1 "*"focus=1001 "*) ;;
  *) fail "after the terms: $(drive state "$ko_title")" ;;
esac
tr -d '\r' <"$calls" >"$work/calls.txt"
sed -n 1p "$work/calls.txt" | grep -qx 'QelCheckInstalled' &&
  sed -n 2p "$work/calls.txt" | grep -q '^QelInspector 0 .*\\client\\Veltharn\.exe$' &&
  sed -n 3p "$work/calls.txt" | grep -qx 'QelExecute 3' && [ "$(wc -l <"$work/calls.txt")" -eq 3 ] ||
  fail "the agent was called: $(cat "$work/calls.txt")"
drive click "$ko_title" 1002 && drive gone "$ko_title" 20 || fail "Cancel did not end the launcher"

# Result 0 and Disagree: the launcher ends, and the agent is not told to install.
rm -f "$calls"
launch declined VELTHARN_AGENT_RESULT=0
drive wait "$terms" 60 || fail "no agreement dialog the second time"
drive click "$terms" 1010 || fail "Disagree cannot be clicked"
drive gone "$ko_title" 20 || fail "the launcher did not end when the terms were declined"
ended declined 20 >/dev/null || fail "the launcher process did not end after Disagree"
grep -q QelExecute "$calls" && fail "the agent was told to install although the terms were declined"

# Any other result (the update is there): no terms; the step ends with 661 and Start enabled.
rm -f "$calls"
launch present VELTHARN_AGENT_RESULT=1
drive wait-enabled "$ko_title" 1001 60 || fail "Start was not enabled after the result 1"
drive wait-status "$ko_title" "$program" 661 10 >"$work/status.txt" ||
  fail "the status line does not show message 661 after the result 1: $(cat "$work/status.txt")"
[ "$(drive count "$terms" | tr -d '\r')" = "0" ] || fail "the terms were shown although the update is there"
grep -q '^QelInspector 1 ' "$calls" && ! grep -q QelExecute "$calls" ||
  fail "the agent was called: $(cat "$calls")"
drive click "$ko_title" 1002 && drive gone "$ko_title" 20 || fail "Cancel did not end the launcher"
echo "wine-e2e: in Korean, the agent's answer 0 showed the terms (accepted: the agent installs; declined: the launcher ends), any other answer none"
