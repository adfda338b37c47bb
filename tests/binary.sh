#!/usr/bin/env bash
# What the built binary is. Native: nothing of the C++ runtime at run time
# (it starts like a C program) and the hardening of a Debian package. The
# board's: a static 32-bit ARM executable whose system calls, as the board's
# kernel will see them, carry the ARM ABI's values.
# Usage: binary.sh BINARY [RUNNER]
REGRW=$1 RUNNER=${2:-}
. "$(dirname "$0")/lib.sh"

has() { grep -q -e "$1" <<<"$2" && echo yes || echo no; }
# The permissions of the stack segment, from readelf's program headers.
stack_flags() { sed -n 's/^ *GNU_STACK .* \([RWE ]\{3\}\) 0x.*/\1/p' <<<"$1"; }

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
    same "file type" "$(has '^ELF 32-bit LSB executable, ARM,' "$description")" yes
    same "statically linked" "$(has 'statically linked' "$description")" yes
    same "non-executable stack" "$(stack_flags "$(readelf -W -l "$REGRW")")" "RW "

    # The device's system calls under emulation, their flags turned back into
    # the number the board's kernel receives (ARM's open flag values).
    declare -A arm_flag=(
        [O_RDONLY]=0 [O_WRONLY]=0x1 [O_RDWR]=0x2 [O_CREAT]=0x40 [O_EXCL]=0x80
        [O_NOCTTY]=0x100 [O_TRUNC]=0x200 [O_APPEND]=0x400 [O_NONBLOCK]=0x800
        [O_DSYNC]=0x1000 [FASYNC]=0x2000 [O_DIRECTORY]=0x4000 [O_NOFOLLOW]=0x8000
        [O_DIRECT]=0x10000 [O_LARGEFILE]=0x20000 [O_NOATIME]=0x40000
        [O_CLOEXEC]=0x80000 [__O_SYNC]=0x100000 [O_PATH]=0x200000
    )
    flags_word() {
        local word=0 name IFS='|'
        for name in $1; do
            [ -n "${arm_flag[$name]:-}" ] || { echo "unknown flag $name"; return; }
            word=$((word | arm_flag[$name]))
        done
        printf '0x%x' "$word"
    }
    # The calls on the device's descriptor, whatever number it got (a test
    # runner may hold descriptors of its own open), and with addresses hidden.
    device_calls() {
        local call fd=none
        local open_re='^(openat\(AT_FDCWD,"/dev/test_registers",)([A-Z_|]+)\) = ([0-9]+)$'
        local call_re='^([_a-z0-9]+)\(([0-9]+)([,)].*)$'
        "$(dirname "$0")/../sim/devns" regsim -- "${runner[@]}" -strace "$REGRW" "$@" 2>&1 >/dev/null |
            sed 's/^[0-9]* //; s/0x[0-9a-f]*/PTR/g' |
            while IFS= read -r call; do
                if [[ $call =~ $open_re ]]; then
                    fd=${BASH_REMATCH[3]}
                    echo "${BASH_REMATCH[1]}$(flags_word "${BASH_REMATCH[2]}")) = FD"
                elif [[ $call =~ $call_re ]] && [ "${BASH_REMATCH[2]}" = "$fd" ]; then
                    echo "${BASH_REMATCH[1]}(FD${BASH_REMATCH[3]}"
                fi
            done
    }
    open='openat(AT_FDCWD,"/dev/test_registers",0x101002) = FD'
    same "system calls of a read of register 2" "$(device_calls 0 2 | tr '\n' ';')" \
        "$open;_llseek(FD,0,2,PTR,SEEK_SET) = 0;read(FD,PTR,4) = 4;close(FD) = 0;"
    same "system calls of a write to register 1" "$(device_calls 1 1 -1 | tr '\n' ';')" \
        "$open;_llseek(FD,0,1,PTR,SEEK_SET) = 0;write(FD,PTR,4) = 4;close(FD) = 0;"
fi
finish
