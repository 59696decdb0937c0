# Sourced by the scripts that start the simulator, a virtual display or the
# program in the background. They report where they are on their first line of
# output; whatever was started goes when the script ends.
#
# Sets up: $work, a scratch folder, and pids, to which a script adds each
# background process it starts; first_line and cpu_ticks read what they write
# and what they cost.

work=$(mktemp -d "${TMPDIR:-/tmp}/dezidure-XXXXXX")
pids=()

# Stops the started processes, newest first (the program before its display,
# as a user would close them), then removes the scratch folder.
stop_background() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap stop_background EXIT

# Waits up to 10 s for a file to hold a first line and prints it.
first_line() {
  for _ in $(seq 200); do
    if [ -s "$1" ]; then
      head -n 1 "$1"
      return 0
    fi
    sleep 0.05
  done
  return 1
}

# CPU clock ticks (user + system) a process has used; the fields after the
# command name, which is in parentheses, start with the state.
cpu_ticks() {
  local stat
  stat=$(cat "/proc/$1/stat")
  stat=${stat##*) }
  set -- $stat
  echo $((${12} + ${13}))
}
