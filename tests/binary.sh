#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# binary.sh BINARY [RUNNER]: what the built binary is. Native: nothing of
# the C++ runtime at run time (it starts like a C program), and a Debian
# package's hardening. A standalone file: a static, stripped ARMv5TE or
# AArch64 executable whose calls, as a board's kernel sees them, carry its
# ABI's values.
REGRW=$1 RUNNER=${2:-}
# shellcheck source=lab/sim/layer.sh
. "$(dirname "$0")/../lab/sim/layer.sh"
need_device regsim
read -r -a runner <<<"$RUNNER"

has() { grep -q -e "$1" <<<"$2" && echo yes || echo no; }
stack_flags() { sed -n 's/^ *GNU_STACK .* \([RWE ]\{3\}\) 0x.*/\1/p' <<<"$1"; }

# The calls on the device's descriptor, one a line: the native binary's as
# strace sees them (numbers raw), an ARM one's under emulation, its flags
# turned back into the number a board's kernel receives (arm64's are 32-bit
# ARM's) and addresses hidden.
declare -A arm_flag=(
    [O_RDONLY]=0 [O_WRONLY]=0x1 [O_RDWR]=0x2 [O_CREAT]=0x40 [O_EXCL]=0x80
    [O_NOCTTY]=0x100 [O_TRUNC]=0x200 [O_APPEND]=0x400 [O_NONBLOCK]=0x800
    [O_DSYNC]=0x1000 [FASYNC]=0x2000 [O_DIRECTORY]=0x4000 [O_NOFOLLOW]=0x8000
    [O_DIRECT]=0x10000 [O_LARGEFILE]=0x20000 [O_NOATIME]=0x40000
    [O_CLOEXEC]=0x80000 [__O_SYNC]=0x100000 [O_PATH]=0x200000
)
# O_LARGEFILE is left out: newer C libraries add it to every open.
flags_word() {
    local word=0 name IFS='|'
    for name in $1; do
        if [[ $name == 0x* ]]; then word=$((word | name))
        elif [ -n "${arm_flag[$name]:-}" ]; then word=$((word | arm_flag[$name]))
        else echo "unknown flag $name"; return; fi
    done
    printf '0x%x' $((word & ~arm_flag[O_LARGEFILE]))
}
# A run that is killed at the time limit says so, among its calls.
raw_calls() {
    if ((${#runner[@]} == 0)); then
        limited "$limit" "$node" regsim -- strace -qq -X raw -o "$scratch/trace" \
            -e trace=openat,lseek,read,write,writev,close "$REGRW" "$@" >/dev/null 2>&1
        status=$?
        sed 's/, /,/g; s/) *= /) = /' "$scratch/trace"
    else
        limited "$limit" "$node" regsim -- "${runner[@]}" -strace "$REGRW" "$@" 2>"$scratch/trace" >/dev/null
        status=$?
        sed 's/^[0-9]* //; /^open/! s/0x[0-9a-f]*/PTR/g' "$scratch/trace"
    fi
    ! killed "$status" || echo "killed at the time limit"
}
# _llseek's position, two words: qemu-user shows two numbers, the high word
# first, or (version 11) one, the low word in its high half.
llseek_position() {
    local n
    if [[ $1 =~ ^,(-?[0-9]+),(-?[0-9]+),(PTR,.*)$ ]]; then
        echo ",$(((BASH_REMATCH[1] << 32) | (BASH_REMATCH[2] & 0xffffffff))),${BASH_REMATCH[3]}"
    elif [[ $1 =~ ^,(-?[0-9]+),(PTR,.*)$ ]]; then
        n=${BASH_REMATCH[1]}
        echo ",$((((n & 0xffffffff) << 32) | ((n >> 32) & 0xffffffff))),${BASH_REMATCH[2]}"
    else
        echo "$1"
    fi
}
device_calls() {
    local call fd=none
    # open or openat, whichever the C library uses: the same request.
    local open_re='^(openat\((AT_FDCWD|-100),|open\()"/dev/test_registers",([A-Za-z0-9_|]+)\) = ([0-9]+)$'
    local call_re='^([_a-z0-9]+)\(([0-9]+)([,)].*)$'
    raw_calls "$@" | while IFS= read -r call; do
        if [[ $call =~ $open_re ]]; then
            fd=${BASH_REMATCH[4]}
            local flags=${BASH_REMATCH[3]}
            ((${#runner[@]} == 0)) || flags=$(flags_word "$flags")
            echo "open(/dev/test_registers,$flags) = FD"
        elif [[ $call =~ $call_re ]] && [ "${BASH_REMATCH[2]}" = "$fd" ]; then
            if [ "${BASH_REMATCH[1]}" = _llseek ]; then
                echo "_llseek(FD$(llseek_position "${BASH_REMATCH[3]}")"
            else
                echo "${BASH_REMATCH[1]}(FD${BASH_REMATCH[3]}"
            fi
        elif [[ $call == killed* ]]; then
            echo "$call"
        fi
    done | tr '\n' ';'
}

# The node's descriptor with standard error closed (for an ARM binary, the
# emulator's): 2, which the end-to-end tests rely on.
node_descriptor() {
    # shellcheck disable=SC2016 # expanded by that sh
    limited "$limit" "$node" regsim -- sh -c 'harness_child=launch; . "$0"' "$harness" /dev/null /dev/null closed \
        strace -f -qq -o "$scratch/trace" -e trace=openat "${runner[@]}" "$REGRW" "$@"
    sed -n 's|.*openat(AT_FDCWD, "/dev/test_registers", .*) = \([0-9]*\)$|\1|p' "$scratch/trace"
}
same "with standard error closed, the node's descriptor" "$(node_descriptor 0 -1)" 2
# Its open asks exactly what the bench's C reference's open(O_RDWR|O_SYNC),
# built beside it, asks, whatever names the emulator gives the flags.
opens() { raw_calls 0 2 | grep -m1 test_registers | sed 's/ = [0-9]*$//'; }
same "its open, as the C reference's" "$(opens)" "$(REGRW=$(dirname "$REGRW")/bench/reference opens)"

# How each kind of build's seek (REG, the register) and words show.
case ${runner[0]:-} in
    '') seek='lseek(FD,REG,0) = REG' read_buf='"\0\0\0\0"' write_buf='"\377\377\377\377"' ;;
    qemu-aarch64) seek='lseek(FD,REG,SEEK_SET) = REG' read_buf=PTR write_buf=PTR type='ELF 64-bit LSB executable, ARM aarch64,' ;;
    *) seek='_llseek(FD,REG,PTR,SEEK_SET) = 0' read_buf=PTR write_buf=PTR type='ELF 32-bit LSB executable, ARM,' ;;
esac
if ((${#runner[@]} == 0)); then
    headers=$(readelf -W -h -l -d --dyn-syms "$REGRW")
    same "shared libraries" "$(sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' <<<"$headers" | tr '\n' ' ')" "libc.so.6 "
    same "position-independent executable" "$(has 'Type: *DYN (Position-Independent' "$headers")" yes
    same "full RELRO: a GNU_RELRO segment" "$(has '^ *GNU_RELRO ' "$headers")" yes
    same "full RELRO: bound now" "$(has '(FLAGS_1).*NOW' "$headers")" yes
    same "non-executable stack" "$(stack_flags "$headers")" "RW "
    same "fortified calls" "$(has '__printf_chk' "$headers")" yes
    same "stack protector" "$(has '__stack_chk_fail' "$headers")" yes
else
    description=$(file -b "$REGRW")
    same "file type" "$(has "^$type" "$description")" yes
    same "statically linked" "$(has 'statically linked' "$description")" yes
    same "stripped, as it is to be copied" "$(has ', stripped$' "$description")" yes
    same "non-executable stack" "$(stack_flags "$(readelf -W -l "$REGRW")")" "RW "
    # Loadable by arm64 kernels of every page size, 32-bit programs too.
    same "segments aligned for 64 KiB pages" "$(readelf -W -l "$REGRW" | awk '$1 == "LOAD" { print $NF }' | sort -u)" 0x10000
    if [ "${runner[0]}" != qemu-aarch64 ]; then
        # ARMv5TE with soft-float calls: any 32-bit ARM processor from it up.
        attributes=$(readelf -A "$REGRW")
        same "built for ARMv5TE" "$(sed -n 's/^ *Tag_CPU_arch: //p' <<<"$attributes")" v5TE
        same "no floating-point registers in calls" "$(has 'Tag_ABI_VFP_args' "$attributes")" no
    fi
fi
# A refusal is one write: the lines of runs side by side stay whole.
same "a refusal, in one write" "$(raw_calls 0 x | grep -cE '^writev?\(2,')" 1
open='open(/dev/test_registers,0x101002) = FD'
same "system calls of a read of register 2" "$(device_calls 0 2)" "$open;${seek//REG/2};read(FD,$read_buf,4) = 4;close(FD) = 0;"
same "system calls of a write to register 1" "$(device_calls 1 1 -1)" "$open;${seek//REG/1};write(FD,$write_buf,4) = 4;close(FD) = 0;"
finish
