#!/bin/sh
# Starts the catalogue server on a free port of 127.0.0.1, runs one program against it with
# "--port PORT" added to its arguments, then stops the server. Fails when the program fails or
# the server does not stop cleanly (a sanitizer's report makes it fail too).
#
#   run_with_server.sh SERVER PROGRAM [ARGUMENTS...]
set -u
server=$1
shift

log=$(mktemp)
trap 'rm -f "$log"' EXIT

# The server's own limit stops it even if this script is killed.
"$server" --port 0 --seconds 300 >"$log" &
server_pid=$!

port=""
tries=0
while [ -z "$port" ] && [ "$tries" -lt 100 ] && kill -0 "$server_pid" 2>/dev/null; do
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$log")
    [ -n "$port" ] || sleep 0.1
    tries=$((tries + 1))
done
if [ -z "$port" ]; then
    echo "run_with_server: the server did not start"
    kill "$server_pid" 2>/dev/null
    cat "$log"
    exit 1
fi

"$@" --port "$port"
program_status=$?

kill -INT "$server_pid"
wait "$server_pid"
server_status=$?
cat "$log"
echo "run_with_server: program exited with $program_status, server with $server_status"
[ "$program_status" -eq 0 ] && [ "$server_status" -eq 0 ]
