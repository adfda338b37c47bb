# SPDX-License-Identifier: MIT
# launch.sh STDIN STDOUT STDERR NAME COMMAND...: the last process before the
# tool (run_as in engine.sh runs it). It sets up the tool's descriptors
# itself, because any process started in between (devns, bwrap) may take
# the lowest free descriptor for its own file, and a closed stream would
# then not be closed for the tool. STDIN is a file or "closed"; STDOUT a
# file, "full" for /dev/full, or "closed"; STDERR a file or "closed". NAME
# is "" to keep the command's name or "=NAME" to run it as NAME (which may
# be empty: bash's exec -a, the one thing here that needs bash, which
# run_as then runs this with).
# shellcheck shell=sh
i=$1 o=$2 e=$3 a=$4
shift 4
case $i in closed) exec <&- ;; *) exec <"$i" ;; esac
case $o in closed) exec >&- ;; full) exec >/dev/full ;; *) exec >"$o" ;; esac
case $e in closed) exec 2>&- ;; *) exec 2>"$e" ;; esac
# shellcheck disable=SC3038 # under bash alone, where a name is given
if [ -n "$a" ]; then exec -a "${a#=}" "$@"; else exec "$@"; fi
