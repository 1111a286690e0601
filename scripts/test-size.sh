#!/bin/sh
# Prints the lines of tests against the lines of program, and their ratio.
# Tests: every .c, .cpp, .h, .sh and .py file under tests/; program: every .cpp
# and .h file in every program folder, which is every top folder with a
# CMakeLists.txt but tests/, bench/, examples/ and packaging/.
set -eu
cd "$(dirname "$0")/.."
lines() { find "$@" -type f | xargs cat | wc -l; }
folders=$(for list in */CMakeLists.txt; do dirname "$list"; done |
  grep -vxE 'tests|bench|examples|packaging|build.*')
tests=$(lines tests \( -name '*.c' -o -name '*.cpp' -o -name '*.h' -o -name '*.sh' -o -name '*.py' \))
program=$(lines $folders \( -name '*.cpp' -o -name '*.h' \))
echo "program folders:" $folders
echo "tests: $tests lines, program: $program lines, ratio $((100 * tests / program))% (at most 40%)"
[ $((100 * tests)) -le $((40 * program)) ]
