#!/usr/bin/env bash
# Builds the scene reader's fuzz target (clang with libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer; a project of its own under
# tests/fuzz, never part of the normal build) and runs it on the seed corpus.
# Arguments go to libFuzzer, e.g. -max_total_time=1800 -jobs=2 -workers=2.
# Inputs it finds are kept in the build tree's corpus folder, crashes as
# crash-* files in the build tree.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${QUILLMERE_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"
JOBS="${QUILLMERE_JOBS:-$(nproc)}"

bash "$ROOT/scripts/install-deps.sh"

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
export CCACHE_BASEDIR="$ROOT"
# Checkouts in other folders share the cache; debug info then names the
# folder of whichever checkout compiled an object first.
export CCACHE_NOHASHDIR=true
cmake -S "$ROOT/tests/fuzz" -B "$BUILD" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
cmake --build "$BUILD" -j "$JOBS"

mkdir -p "$BUILD/corpus"
cd "$BUILD"
export QT_QPA_PLATFORM=offscreen
./fuzz_scenereader -dict="$ROOT/tests/fuzz/kw.dict" -max_len=65536 -rss_limit_mb=2048 \
                   -timeout=20 "$@" "$BUILD/corpus" "$ROOT/tests/fuzz/corpus/scenereader"
