#!/bin/sh
# Builds and runs the settings-loader fuzz harness with clang's libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer. Not part of scripts/test.
#
#   tests/fuzz/run_fuzz.sh [seconds] [extra libFuzzer flags...]
#
# The default run is 60 seconds. The corpus lives in build/fuzz/corpus and
# grows across runs; findings are written to build/fuzz/.
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
out="$root/build/fuzz"
seconds=${1:-60}
[ $# -gt 0 ] && shift

mkdir -p "$out/corpus"
"${CXX_FUZZ:-clang++}" -std=c++17 -g -O1 -Wall -Wextra -Wshadow -Werror \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I"$root" \
    "$root/tests/fuzz/SettingsLoaderFuzz.cpp" "$root/settings/Settings.cpp" \
    "$root/settings/FileNameCheck.cpp" "$root/output/SaveNaming.cpp" \
    -o "$out/settings_loader_fuzz"

# Seeds: tagged records of zero and of 0xFF bytes, every field damaged, and
# one whose base name climbs out of the save folder.
{ printf 'ver_0_87'; head -c 560 /dev/zero; } > "$out/corpus/zeros"
{ printf 'ver_0_87'; head -c 560 /dev/zero | tr '\0' '\377'; } > "$out/corpus/ones"
{ printf 'ver_0_87'; head -c 108 /dev/zero; printf '..\\up'; head -c 447 /dev/zero; } \
    > "$out/corpus/climbing"

cd "$out"
exec ./settings_loader_fuzz -max_total_time="$seconds" -max_len=1024 -print_final_stats=1 \
    "$@" corpus
