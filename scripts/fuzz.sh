#!/usr/bin/env bash
# Builds the two fuzz targets with clang in build-fuzz/ (or $FUZZ_BUILD_DIR)
# and runs them for a bounded time, the first argument in seconds (60 by
# default) shared between them: the test information import, and the record
# store reading mutated data files. Findings are kept in the build folder as
# crash-*.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"

# The libraries get coverage and sanitizers too; only the fuzz target is built.
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVANTREL_TESTS=ON -DVANTREL_FUZZ=ON -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link $sanitize" >/dev/null
cmake --build "$build" -j"$(nproc)" --target test_info_fuzz store_file_fuzz
half=$(( (seconds + 1) / 2 ))

# A few small seeds covering the encodings and the format's corners.
seeds="$build/fuzz-seeds"
corpus="$build/fuzz-corpus"
mkdir -p "$seeds" "$corpus"
block='<name>Lipids
<other name>Lipid panel
<why>Heart risk
<when>Yearly
<how>Blood from a vein
<normal results>See each result
<home test>No
<number of results>2
<resultname1>HDL
<resultvalue1>40-60[50-70]
<resultunit1>mg/dL
<resultname2>LDL
<resultvalue2>0-100
<resultunit2>mg/dL


<name>Iron
<a>1
<b>2
<c>3
<d>4
<e>5
<number of results>0


'
printf '%s' "$block" >"$seeds/utf8"
printf '\xEF\xBB\xBF%s' "$block" | sed 's/$/\r/' >"$seeds/utf8-bom-crlf"
{ printf '\xFF\xFE'; printf '%s' "$block" | iconv -f UTF-8 -t UTF-16LE; } >"$seeds/utf16le"
{ printf '\xFE\xFF'; printf '%s' "$block" | iconv -f UTF-8 -t UTF-16BE; } >"$seeds/utf16be"
printf 'no mark\r<why\r  <how> x < y > z \r<number of results>-1\r\r\r' >"$seeds/broken-cr"
printf '<name>Cut\n<why>w\n<number of results>2147483647\n<resultname>r' >"$seeds/cut"

"$build/tests/store/test_info_fuzz" -max_total_time="$half" -max_len=4096 -timeout=20 \
  -print_final_stats=1 -artifact_prefix="$build/" "$corpus" "$seeds"

# The store target writes its seeds (a device the program made, and the same
# records in both earlier formats) when it starts.
store_seeds="$build/store-fuzz-seeds"
store_corpus="$build/store-fuzz-corpus"
mkdir -p "$store_seeds" "$store_corpus"
VANTREL_STORE_SEEDS="$store_seeds" "$build/tests/hardening/store_file_fuzz" -runs=0 "$store_seeds" >/dev/null 2>&1
"$build/tests/hardening/store_file_fuzz" -max_total_time="$half" -max_len=65536 -timeout=20 \
  -print_final_stats=1 -artifact_prefix="$build/store-" "$store_corpus" "$store_seeds"
