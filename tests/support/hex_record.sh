# shellcheck shell=bash
# Sourced by the shell tests. An Intel HEX record: record TYPE ADDRESS
# BYTE... (numbers in decimal).
record() {
    local type=$1 address=$2
    shift 2
    local sum=$(($# + (address >> 8) + (address & 255) + type)) line
    line=$(printf ':%02X%04X%02X' $# "$address" "$type")
    for b; do
        line+=$(printf '%02X' "$b")
        sum=$((sum + b))
    done
    printf '%s%02X\n' "$line" $(((256 - sum % 256) % 256))
}
