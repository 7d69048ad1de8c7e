# SPDX-License-Identifier: MIT
# Sourced by the real-window tests: start_xvfb starts a private Xvfb and exports DISPLAY;
# its process id is in xpid. The server must answer before the test goes on, and it runs
# with -noreset: otherwise it resets whenever its last client leaves (such as the probe
# here, or a helper between two steps of a test), and a program connecting just then is
# refused. The display number is drawn at random, away from the usual low numbers.
start_xvfb() {
  local attempt n
  for attempt in 1 2 3 4 5 6 7 8; do
    n=$((200 + (RANDOM % 700)))
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset 2>/dev/null &
    xpid=$!
    for _ in $(seq 1 100); do
      if DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1; then
        export DISPLAY=":$n"
        return 0
      fi
      kill -0 "$xpid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$xpid" 2>/dev/null
    wait "$xpid" 2>/dev/null
    xpid=
  done
  echo "Xvfb did not start"
  return 1
}
