#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The tool under load against the stand-in: the rows of load-cases.sh.
# Usage: load.sh BINARY [RUNNER]
REGRW=$1 RUNNER=${2:-}
# shellcheck source=lab/sim/layer.sh
. "$(dirname "$0")/../lab/sim/layer.sh"
need_device regsim
# shellcheck source=tests/load-cases.sh
. "$(dirname "$0")/load-cases.sh"
finish
