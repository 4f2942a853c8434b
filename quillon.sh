#!/usr/bin/env bash
# Sets up, builds, runs and tests Quillon on Debian 12.
#
#   ./quillon.sh run     install what is needed, build, start the Quillon window
#   ./quillon.sh test    install what is needed, check the formatting, build (warnings are
#                        errors), run every test, run clang-tidy on the core, then build
#                        with clang and AddressSanitizer/UBSan and run every test again
#   ./quillon.sh build   install what is needed and build
#   ./quillon.sh bench   build and run the benchmarks
#
# BUILD_DIR (default: build) names the build folder.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${BUILD_DIR:-$here/build}"

# Everything the build, the program and the tests need, from Debian's archive.
packages=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-multimedia-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  minimodem sox
  xvfb xauth xclip x11-utils imagemagick fonts-dejavu-core
  xdg-utils
  pulseaudio pulseaudio-utils openbox xdotool
  dbus dbus-bin dbus-daemon at-spi2-core python3-pyatspi
  libspandsp-dev
  clang clang-format clang-tidy libclang-rt-14-dev
)

as_root() {
  if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi
}

install_packages() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "== Installing: ${missing[*]}"
    as_root apt-get update
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
  fi
}

# configure_and_build FOLDER [CMAKE OPTIONS...] [-- BUILD OPTIONS...]
configure_and_build() {
  local folder="$1" configure=() build=()
  shift
  while (($#)) && [[ $1 != -- ]]; do configure+=("$1"); shift; done
  (($#)) && shift && build=("$@")
  cmake -S "$here" -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${configure[@]}"
  cmake --build "$folder" -j"$(nproc)" "${build[@]}"
}

sources() {
  (cd "$here" && { git ls-files '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -o -name '*.h' \
    | grep -v '^./build'; })
}

check_format() {
  echo "== clang-format: every source file as .clang-format says"
  (cd "$here" && sources | xargs clang-format --dry-run --Werror)
}

# Every folder's code, not its tests, under the committed .clang-tidy.
run_tidy() {
  run-clang-tidy -quiet -p "$build" -j"$(nproc)" "$here/(core|platform|gui|cli|tools)/(?!.*(_test|test_util|test_support)).*\.cpp$"
}

case "${1:-run}" in
  run)
    install_packages
    configure_and_build "$build"
    exec "$build/bin/quillon" "${@:2}"
    ;;
  build)
    install_packages
    configure_and_build "$build"
    ;;
  test)
    install_packages
    started=$SECONDS
    timings=()
    # phase NAME COMMAND...: runs one step of the checks and notes its time.
    phase() {
      local name=$1 at=$SECONDS
      shift
      echo "== $name"
      "$@"
      timings+=("$(printf '%5d s  %s' $((SECONDS - at)) "$name")")
    }
    # Line tables are all a failing test's stack needs: the checks' builds
    # leave out the rest of the debugging information, a quarter of the time.
    ci_flags=(-DQUILLON_WERROR=ON "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG")
    phase "clang-format: every source file as .clang-format says" check_format
    # The program as users build it, with GCC: its warnings are errors. The
    # tests are built and run once, below, with clang and the sanitizers, so
    # that a clean clone is checked within 20 minutes on two cores.
    phase "Build the program with GCC (warnings are errors)" configure_and_build "$build" \
      "${ci_flags[@]}" -DQUILLON_BUILD_TESTS=OFF
    phase "clang-tidy: every folder" run_tidy
    # -O1, as the sanitizers' own documentation advises: quicker to build,
    # and the reports as exact.
    phase "Build everything with clang, AddressSanitizer and UBSan" configure_and_build \
      "$build-sanitize" -DCMAKE_CXX_COMPILER=clang++ -DQUILLON_SANITIZE=ON "${ci_flags[@]}" \
      "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
    # Tests that need a real X server start their own under xvfb-run;
    # everything else uses Qt's offscreen platform.
    phase "Every test, under AddressSanitizer and UBSan" \
      env ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
      LSAN_OPTIONS=suppressions="$here/.ci/lsan.supp":print_suppressions=0 \
      UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      bash -c "cd '$build-sanitize' && ctest --output-on-failure -j$(nproc) --timeout 900"
    # Only the tests whose code starts threads: hearing prompts back while
    # wavcat joins the next one, and the processes and their reaper.
    phase "Build the threaded tests with ThreadSanitizer" configure_and_build "$build-tsan" \
      -DCMAKE_CXX_COMPILER=clang++ -DQUILLON_SANITIZE=thread -DQUILLON_BUILD_GUI=OFF \
      "${ci_flags[@]}" -- --target platform_tests verification_tests session_tests
    phase "The threaded tests under ThreadSanitizer" \
      env TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
      bash -c "cd '$build-tsan' && ctest --output-on-failure -j$(nproc) --timeout 900 -L threads"
    printf '%s\n' "${timings[@]}"
    echo "== All checks passed in $((SECONDS - started)) s"
    ;;
  bench)
    install_packages
    configure_and_build "$build"
    # Each prints its medians, the spread of its runs and its ratio against
    # the goal; one that cannot run says why and the rest still run.
    bash "$here/bench/bench_wavcat.sh" "$build/bin/wavcat" || true
    bash "$here/bench/bench_text.sh" "$build/bin" || true
    bash "$here/bench/bench_long_text.sh" "$build/bin" || true
    bash "$here/bench/bench_csv_batch.sh" "$build/bin" || true
    bash "$here/bench/bench_prompt_set.sh" "$build/bin" || true
    bash "$here/bench/bench_startup.sh" "$build/bin" || true
    python3 "$here/bench/verify_cost.py" "$build/bin" || true
    bash "$here/bench/bench_line.sh" "$build/bin" || true
    for program in "$build"/bin/*_bench; do
      [[ -x $program ]] && "$program"
    done
    ;;
  *)
    sed -n '2,11p' "$0"
    exit 2
    ;;
esac
