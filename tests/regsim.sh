#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The stand-in device keeps the promises of the table in probe-cases.sh,
# which the driver on the board keeps too.
# Usage: regsim.sh DEVCLIENT   (the stand-in is $REGSIM)
DEVCLIENT=$1
# shellcheck source=lab/sim/layer.sh
. "$(dirname "$0")/../lab/sim/layer.sh"
need_device regsim

# shellcheck source=tests/probe-cases.sh
. "$(dirname "$0")/probe-cases.sh"
# The one word only a driver takes: a file cannot refuse a seek.
refused lax_seek=0
finish
