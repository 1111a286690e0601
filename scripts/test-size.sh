#!/bin/sh
# Prints the lines of tests against the lines of program, and their ratio.
# Tests: every .c, .cpp, .h, .sh and .py file under tests/; program: every .cpp
# and .h file under runtime/, model/, render/, app/ and kio/.
set -eu
cd "$(dirname "$0")/.."
lines() { find "$@" -type f | xargs cat | wc -l; }
tests=$(lines tests \( -name '*.c' -o -name '*.cpp' -o -name '*.h' -o -name '*.sh' -o -name '*.py' \))
program=$(lines runtime model render app kio \( -name '*.cpp' -o -name '*.h' \))
echo "tests: $tests lines, program: $program lines, ratio $((100 * tests / program))% (at most 40%)"
[ $((100 * tests)) -le $((40 * program)) ]
