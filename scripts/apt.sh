# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Sourced by need-packages, fetch and distro-check: apt-get update as an
# installed Debian meets its archive, and debian_root, the one way a Debian
# root is made. The archive moves under us, and a
# mirror can serve an index in mid-sync: an index that fails is retried
# (apt's own Acquire::Retries), then named in one warning, and set-up goes
# on with the lists apt has. Whether they hold what is needed is for the
# install or the download to find; apt_cannot then names what is missing
# and the index that failed.
# One update serves a whole set-up run: setup hands its children
# REGRW_APT_STATE, a file where the first update leaves what failed, so the
# later callers neither update again nor warn again.

apt_updated='' apt_stale=''

apt_say() { echo "${0##*/}: $*" >&2; }
# apt_error LOG: what apt said went wrong: its first error, or its last line.
apt_error() { grep -m1 '^E: ' "$1" || tail -1 "$1"; }

# apt_update [--again] [COMMAND...]: brings apt's lists up to date, once per
# set-up run (--again: once more, as after an architecture is added), with
# COMMAND before apt's own (e.g. a chroot's). Where this user cannot write
# apt's lists, it leaves them as they are.
# shellcheck disable=SC2120 # its words are for the few callers that need them
apt_update() {
    local again='' lists log status=0 before
    [ "${1:-}" != --again ] || { again=1; shift; }
    [ -z "$apt_updated" ] || [ -n "$again" ] || return 0
    if [ -s "${REGRW_APT_STATE:-}" ]; then
        apt_updated=1 apt_stale=$(sed 1d "$REGRW_APT_STATE")
        [ -n "$again" ] || return 0
    fi
    before=$apt_stale
    eval "$("$@" apt-config shell lists Dir::State::lists/d)"
    "$@" test -w "$lists" || return 0
    log=$(mktemp)
    "$@" apt-get update -q -o Acquire::Retries=3 >"$log" 2>&1 || status=$?
    # Each index that failed is an "Err:N URI DESCRIPTION" line, its reason
    # the next one.
    apt_stale=$(awk '/^Err:/ { $1 = $2 = ""; sub(/^ +/, ""); failed = $0; next }
                     failed != "" { sub(/^ +/, ""); sub(/ *\[IP: .*\]$/, ""); out = out sep failed " (" $0 ")"; sep = "; "; failed = "" }
                     END { print out }' "$log")
    if [ -z "$apt_stale" ] && [ "$status" != 0 ]; then
        apt_stale=$(apt_error "$log")
    fi
    rm -f "$log"
    apt_updated=1
    [ -z "${REGRW_APT_STATE:-}" ] || printf 'updated\n%s\n' "$apt_stale" >"$REGRW_APT_STATE"
    # An index that failed before and fails again has been said already.
    [ -z "$apt_stale" ] || [ "$apt_stale" = "$before" ] ||
        apt_say "warning: apt-get update failed for $apt_stale; going on with the lists apt has"
}

# apt_cannot TEXT: the one line saying what set-up cannot have, with the
# index that failed to update where one did.
apt_cannot() {
    [ -n "$apt_stale" ] || [ ! -s "${REGRW_APT_STATE:-}" ] || apt_stale=$(sed 1d "$REGRW_APT_STATE")
    apt_say "$1${apt_stale:+ (apt-get update failed for $apt_stale)}"
}

# apt_mirror SUITE: the mirror apt's sources take SUITE from, as apt would
# fetch its release file (an empty suite, such as testing's -security, has
# no index to find it by).
apt_mirror() {
    apt-get update --print-uris 2>/dev/null | sed -n "s|^'\(.*/\)dists/$1/InRelease' .*|\1|p" | head -1
}
# debian_root DIR SUITE ARCH PACKAGES: a Debian root of SUITE for ARCH in
# DIR, with PACKAGES (comma-separated) installed, made by mmdebstrap from
# this machine's own mirrors, following SUITE, SUITE-updates and
# SUITE-security as an installed Debian does; its log in DIR.log, and one
# line where it fails. Of this machine's architecture, it is minbase. Of
# another, it holds PACKAGES alone, installed chrootless: their maintainer
# scripts cannot run in the root here, so this machine's shell runs them
# (the C library's know DPKG_ROOT), in a sandbox where the machine is
# read-only and its debconf out of reach. Debian's testing (distro-info
# says which release that is) takes an index past its Valid-Until, which a
# mirror of testing may serve, inside the root too, and says so; a stable
# release keeps apt's check. As root.
debian_root() {
    local dir=$1 suite=$2 arch=$3 codename mirror security keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    local options=(--architectures="$arch" --include="$4") sandbox=()
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    mirror=$(apt_mirror "$codename") security=$(apt_mirror "$codename-security")
    if [ -z "$mirror" ] || [ -z "$security" ]; then
        apt_say "no Debian mirror for $codename and $codename-security in apt's sources"
        return 1
    fi
    if [ "$arch" = "$(dpkg --print-architecture)" ]; then
        options+=(--variant=minbase)
    else
        options+=(--variant=custom --mode=chrootless)
        mkdir -p "$dir" "$dir.tmp" && chmod 1777 "$dir.tmp"
        local TMPDIR=$dir.tmp
        sandbox=(bwrap --ro-bind / / --bind "$dir" "$dir" --bind "$TMPDIR" "$TMPDIR" --setenv TMPDIR "$TMPDIR"
                 --dev /dev --proc /proc --tmpfs /run)
        [ ! -e /usr/share/debconf/confmodule ] || sandbox+=(--ro-bind /dev/null /usr/share/debconf/confmodule)
    fi
    # mmdebstrap's own apt-get update stops at an index that fails, which
    # a mirror in mid-sync serves now and then: the root's is set-up's
    # (apt_update), which says so once and goes on with the lists it has.
    local hook
    # shellcheck disable=SC2016 # expanded by the hook's shell
    printf -v hook 'env -u REGRW_APT_STATE TMPDIR=%q APT_CONFIG="$MMDEBSTRAP_APT_CONFIG" bash -c %q' \
        "${TMPDIR:-/tmp}" ". $(printf %q "$(readlink -f "${BASH_SOURCE[0]}")"); apt_update"
    options+=(--setup-hook="$hook")
    if [ "$suite" = "$(debian-distro-info --testing)" ]; then
        apt_say "$suite is Debian's testing: an index past its Valid-Until is taken, as a mirror of testing may serve it"
        options+=(--aptopt='Acquire::Check-Valid-Until "false"')
    fi
    local made=0
    "${sandbox[@]}" mmdebstrap "${options[@]}" "$suite" "$dir" "deb [signed-by=$keyring] $mirror $suite main" \
        "deb [signed-by=$keyring] $mirror $suite-updates main" "deb [signed-by=$keyring] $security $suite-security main" \
        >"$dir.log" 2>&1 || made=$?
    rm -rf "$dir.tmp"
    if ((made != 0)); then
        apt_say "cannot make a $suite root for $arch: $(grep -m1 '^E: ' "$dir.log" || tail -1 "$dir.log")"
        return 1
    fi
    sed -n 's/^[^:]*: warning: /warning: /p' "$dir.log" | while read -r line; do apt_say "$line"; done
}
