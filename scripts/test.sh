#!/usr/bin/env bash
# Installs what is missing, builds Tessara and runs every test: the unit and widget tests
# and the real-window tests, a whole session driven with the keyboard through the real
# window, then the same unit tests again in a build with AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

echo "== Build and test"
# Tests and benchmarks on, whatever an earlier start.sh configured in the same folder; each
# layer compiled in batches, and line tables for debugging, to build in half the time.
scripts/build.sh build -DTESSARA_TESTS=ON -DTESSARA_BENCH=ON -DTESSARA_UNITY_BUILD=ON \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
(cd build && ctest --output-on-failure --no-tests=error -j 2)

echo "== A whole session in a real window"
TMPDIR="$PWD/build" tests/smoke/session.sh build/tessara build/tests/session_check

echo "== Sanitized build and test"
# Only what the tests need, optimised less: the sanitizers look at our code, not at speed.
# Line tables (-g1) are all their reports need.
scripts/build.sh build-sanitize -DTESSARA_SANITIZE=ON -DTESSARA_TESTS=ON -DTESSARA_BENCH=OFF \
    -DTESSARA_SAMPLE_MAP=OFF -DTESSARA_UNITY_BUILD=ON "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1"
(cd build-sanitize && ctest --output-on-failure --no-tests=error -j 2 -LE 'window|package')
echo "== All tests passed"
