#!/usr/bin/env bash
# The README's cmake and ctest commands do what they say: every build target
# it names exists, and every ctest selection it shows (-L, -R) finds tests
# ("No tests were found!!!" still exits 0, so ctest alone would not notice).
# Usage: readme_commands_test.sh README.md BUILD_DIR
set -uo pipefail
readme=${1:?usage: readme_commands_test.sh README.md BUILD_DIR}
build=${2:?usage: readme_commands_test.sh README.md BUILD_DIR}
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

targets=$(cmake --build "$build" --target help 2>/dev/null)
commands=0
while read -r target; do
  commands=$((commands + 1))
  grep -qE "^\.\.\. $target( |$)" <<<"$targets" || fail "the README builds '$target', which is no target"
done < <(grep -oE -- '--target [A-Za-z0-9_.-]+' "$readme" | cut -d' ' -f2)

# The ctest lines of the README's indented command blocks, run with -N (list
# only) against this build tree instead of build/.
while read -r line; do
  commands=$((commands + 1))
  read -ra words <<<"${line#*ctest }"
  args=()
  for ((i = 0; i < ${#words[@]}; i++)); do
    case ${words[i]} in
      --test-dir) i=$((i + 1)) ;;  # this build tree instead
      --output-on-failure) ;;
      *) args+=("${words[i]}") ;;
    esac
  done
  found=$(ctest --test-dir "$build" -N "${args[@]}" | sed -n 's/^Total Tests: //p')
  [ "${found:-0}" -gt 0 ] || fail "'$line' finds no test"
done < <(grep -E '^    .*ctest ' "$readme" | sed 's/^ *//')

[ "$commands" -ge 3 ] || fail "only $commands README commands found: has the README's form changed?"
[ "$failures" -eq 0 ] && echo "all $commands README commands name real targets and find tests"
exit $((failures > 0))
