#!/bin/sh
# jalv, a real LV2 host, runs the bundle under a JACK server of its own (the
# dummy driver, no sound card): it loads the plug-in, takes the demo preset,
# plays notes from jack_midiseq, and jack_rec records what the first output
# pair sounds, which must not be silence.
#   jalv-under-jack.sh BUNDLE_PARENT_DIR WORK_DIR
set -u
lv2=$1
work=$2
mkdir -p "$work"
# JACK keeps a server's entry in its registry after the server exits, and
# holds eight: with one name for every run, each new server takes back the
# entry its dead predecessor left; the lock keeps two runs from wanting it
# at once.
server="zel-lv2-test"
exec 8>"${TMPDIR:-/tmp}/zel-lv2-test.jack.lock"
flock -w 100 8 || { echo "another run kept the JACK server's name for 100 s"; exit 1; }
export JACK_DEFAULT_SERVER="$server" JACK_NO_AUDIO_RESERVATION=1 LV2_PATH="$lv2"
fifo="$work/jalv-in"
rm -f "$fifo" "$work/recorded.wav"
mkfifo "$fifo"
jackd -n "$server" -d dummy -r 48000 -p 256 >"$work/jackd.log" 2>&1 8>&- &
jack=$!
jalv=
cleanup() {
  [ -n "$jalv" ] && kill "$jalv" 2>/dev/null
  kill "$jack" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM
timeout 10 jack_wait -w >/dev/null 2>&1 || { echo "jackd did not start:"; cat "$work/jackd.log"; exit 1; }

timeout 40 jalv -x -n zeljalv urn:zel:zel001 <"$fifo" >"$work/jalv.log" 2>&1 8>&- &
jalv=$!
exec 7>"$fifo"
tries=0
until jack_lsp 2>/dev/null | grep -q '^zeljalv:out_16$'; do
  tries=$((tries + 1))
  if [ "$tries" -ge 100 ]; then echo "jalv made no ports:"; cat "$work/jalv.log"; exit 1; fi
  sleep 0.1
done
echo presets >&7
sleep 0.5
echo "preset urn:zel:zel001#demo" >&7
sleep 1
timeout 10 jack_midiseq seq 24000 0 36 4000 12000 38 4000 >/dev/null 2>&1 8>&- &
sleep 0.5
jack_connect seq:out zeljalv:control || { echo "no MIDI connection"; exit 1; }
timeout 15 jack_rec -f "$work/recorded.wav" -d 2 zeljalv:out_1 zeljalv:out_2 >/dev/null 2>&1
echo quit >&7
exec 7>&-
grep -q "Demo kit" "$work/jalv.log" || { echo "jalv lists no demo preset:"; cat "$work/jalv.log"; exit 1; }
python3 - "$work/recorded.wav" <<'PY'
import array, sys, wave
w = wave.open(sys.argv[1])
samples = array.array("h")
samples.frombytes(w.readframes(w.getnframes()))
peak = max((abs(s) for s in samples), default=0)
print("jalv under JACK: %d frames recorded, peak %d" % (w.getnframes(), peak))
sys.exit(0 if w.getnframes() > 0 and peak > 1000 else 1)
PY
