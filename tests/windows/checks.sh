# Sourced by the runs under Wine: named checks, counted.

passed=0
failed=0

check() { # NAME CONDITION-RESULT(0 ok) [DETAIL]
  if [ "$2" -eq 0 ]; then
    passed=$((passed + 1))
    echo "ok   $1"
  else
    failed=$((failed + 1))
    echo "FAIL $1${3:+: $3}"
  fi
}
