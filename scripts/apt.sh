# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Sourced by need-packages, fetch and distro-check: apt-get update, and
# debian_root, the one way a Debian root is made. A mirror may serve an
# index in mid-sync: one that fails is retried, then named in one warning,
# and set-up goes on with the lists apt has (apt_cannot names the index with
# what they lack). One update serves a set-up run: what failed is left in
# $REGRW_APT_STATE, so later callers neither update nor warn again.

# shellcheck source=scripts/project.sh
. "$(dirname "${BASH_SOURCE[0]}")/project.sh"
apt_updated='' apt_stale=''

apt_say() { echo "${0##*/}: $*" >&2; }
# apt_error LOG: what apt said went wrong: its first error, or its last line.
apt_error() { grep -m1 '^E: ' "$1" || tail -1 "$1"; }

# apt_update [--again]: once a set-up run (--again: once more); not where
# this user cannot write apt's lists.
# shellcheck disable=SC2120 # --again, which need-packages alone passes
apt_update() {
    local again='' lists log status=0 before
    [ "${1:-}" != --again ] || { again=1; shift; }
    [ -z "$apt_updated" ] || [ -n "$again" ] || return 0
    if [ -s "${REGRW_APT_STATE:-}" ]; then
        apt_updated=1 apt_stale=$(sed 1d "$REGRW_APT_STATE")
        [ -n "$again" ] || return 0
    fi
    before=$apt_stale
    eval "$(apt-config shell lists Dir::State::lists/d)"
    [ -w "$lists" ] || return 0
    log=$(mktemp)
    apt-get update -q -o Acquire::Retries=3 >"$log" 2>&1 || status=$?
    # An index that failed: "Err:N URI DESCRIPTION", then its reason.
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

# apt_cannot TEXT: what set-up cannot have, with any index that failed.
apt_cannot() {
    [ -n "$apt_stale" ] || [ ! -s "${REGRW_APT_STATE:-}" ] || apt_stale=$(sed 1d "$REGRW_APT_STATE")
    apt_say "$1${apt_stale:+ (apt-get update failed for $apt_stale)}"
}

# apt_mirror SUITE: the mirror of SUITE's release file in apt's sources (an
# empty suite, such as testing's -security, has no index to find).
apt_mirror() {
    apt-get update --print-uris 2>/dev/null | sed -n "s|^'\(.*/\)dists/$1/InRelease' .*|\1|p" | head -1
}
# debian_root DIR SUITE ARCH PACKAGES: as root, mmdebstrap's root of SUITE
# for ARCH with PACKAGES (comma-separated) from this machine's mirrors, with
# -updates and -security; its log in DIR.log. Of this machine's architecture
# it is minbase. Of another, it holds PACKAGES alone, chrootless: the
# machine's shell runs their maintainer scripts (the C library's know
# DPKG_ROOT) in a sandbox where the machine is read-only and its debconf out
# of reach. Testing takes an index past its Valid-Until, as a mirror of
# testing may serve one, and says so; a stable release keeps apt's check.
debian_root() {
    local dir=$1 suite=$2 arch=$3 codename mirror security keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    local options=(--architectures="$arch" --include="$4") sandbox=()
    codename=$(regrw_release)
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
    # mmdebstrap's own update stops at an index that fails: the root's is
    # apt_update, which warns and goes on.
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
