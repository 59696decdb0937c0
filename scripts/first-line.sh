# Sourced by the scripts that start the simulator or a virtual display, which
# report where they are on their first line of output.

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
