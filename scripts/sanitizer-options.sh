# Sourced by scripts/test-sanitizers.sh and scripts/fuzz.sh: the runtime settings of the
# AddressSanitizer and UndefinedBehaviorSanitizer builds. The first report ends the process.
sanitizer_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export ASAN_OPTIONS="halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$sanitizer_dir/ubsan.supp"
