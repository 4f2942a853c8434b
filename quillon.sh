#!/usr/bin/env bash
# Sets up, builds, runs and tests Quillon on Debian 12.
#
#   ./quillon.sh run     install what is needed, build, start the Quillon window
#   ./quillon.sh test    install what is needed, build (warnings are errors), run every test
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

configure_and_build() {
  local werror="$1"
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_WERROR="$werror"
  cmake --build "$build" -j"$(nproc)"
}

case "${1:-run}" in
  run)
    install_packages
    configure_and_build OFF
    exec "$build/bin/quillon" "${@:2}"
    ;;
  build)
    install_packages
    configure_and_build OFF
    ;;
  test)
    install_packages
    configure_and_build ON
    # Tests that need a real X server (the clipboard) start their own under
    # xvfb-run; everything else uses Qt's offscreen platform.
    cd "$build"
    ctest --output-on-failure -j"$(nproc)" --timeout 900
    ;;
  bench)
    install_packages
    configure_and_build OFF
    # Each prints its medians, the spread of its runs and its ratio against
    # the goal; one that cannot run says why and the rest still run.
    bash "$here/bench/bench_wavcat.sh" "$build/bin/wavcat" || true
    bash "$here/bench/bench_text.sh" "$build/bin" || true
    bash "$here/bench/bench_long_text.sh" "$build/bin" || true
    bash "$here/bench/bench_csv_batch.sh" "$build/bin" || true
    bash "$here/bench/bench_prompt_set.sh" "$build/bin" || true
    bash "$here/bench/bench_startup.sh" "$build/bin" || true
    for program in "$build"/bin/*_bench; do
      [[ -x $program ]] && "$program"
    done
    ;;
  *)
    sed -n '2,10p' "$0"
    exit 2
    ;;
esac
