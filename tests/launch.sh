# SPDX-License-Identifier: MIT
# launch.sh STDIN STDOUT STDERR NAME COMMAND...: the last process before the
# tool, setting up its streams itself (one between, such as bwrap, may take
# a descriptor meant closed). Each a file or "closed", or for standard
# output "full" (/dev/full) or "gone" (a pipe whose reader has gone); NAME
# "" or "=NAME", run as NAME (bash's exec -a).
# shellcheck shell=sh
i=$1 o=$2 e=$3 a=$4
shift 4
case $i in closed) exec <&- ;; *) exec <"$i" ;; esac
case $o in
    closed) exec >&- ;;
    full) exec >/dev/full ;;
    # A FIFO, opened read-write first so that opening it to write does not
    # wait for a reader: once that descriptor is closed, no reader is left.
    gone)
        pipe=$(mktemp -u) && mkfifo "$pipe" || exit 1
        exec 3<>"$pipe"
        exec >"$pipe" 3<&-
        rm "$pipe" ;;
    *) exec >"$o" ;;
esac
case $e in closed) exec 2>&- ;; *) exec 2>"$e" ;; esac
# shellcheck disable=SC3038 # under bash alone, where a name is given
if [ -n "$a" ]; then exec -a "${a#=}" "$@"; else exec "$@"; fi
