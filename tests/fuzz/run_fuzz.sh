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
cxx=${CXX_FUZZ:-clang++}

mkdir -p "$out/corpus"
"$cxx" -std=c++17 -g -O1 -Wall -Wextra -Wshadow -Werror \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$root" \
    "$root/tests/fuzz/SettingsLoaderFuzz.cpp" \
    "$root/tests/unit/settings/SettingsInvariants.cpp" \
    "$root/settings/Settings.cpp" \
    "$root/selection/Selection.cpp" \
    "$root/base/Geometry.cpp" \
    -o "$out/settings_loader_fuzz"

# Seeds: the default file and a file with every field away from its default.
/usr/bin/python3 - "$out/corpus" <<'PY'
import struct, sys, os
d = sys.argv[1]
def record(values):
    return b"ver_0_87" + values
ints = [0,1,1,3,8,1,1,1,0, 2,24,12,0,0xFFFFFF,0x6666FF,0xFFFFFF, 80,60,40,20, 12,3, 4, 0,4,0,1]
body = b"".join(struct.pack("<I", v) for v in ints)
body += b"img".ljust(101, b"\0") + b"C:\\exe\\".ljust(260, b"\0") + bytes([0x10,0,0x0C,1,0,0,0])
body += b"".join(struct.pack("<I", v) for v in [1,0,0,1,0,0,1,0,0,0,0,1,0,1,0,0,0,0,1,1,3])
assert len(body) == 560
open(os.path.join(d, "default"), "wb").write(record(body))
open(os.path.join(d, "default_plus_ops"), "wb").write(record(body) + bytes(range(64)))
PY

cd "$out"
exec ./settings_loader_fuzz -max_total_time="$seconds" -max_len=1024 -print_final_stats=1 \
    "$@" corpus
