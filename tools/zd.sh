#!/usr/bin/env bash
# Sets up a Debian 12 machine for ZorikaDesk, builds it, and then runs it or its tests.
#   tools/zd.sh run [program options]   install what is missing, build, start the program
#   tools/zd.sh test                    install what is missing, build, run every test
#   tools/zd.sh build                   install what is missing and build
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${ZD_BUILD_DIR:-$here/build}"

run_packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev
    firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils libicu-dev
    googletest libgtest-dev fonts-ipafont fonts-ipaexfont fonts-dejavu-core qt6-translations-l10n)
test_packages=(firebird3.0-server clang libclang-rt-14-dev xvfb xauth)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    # The server package would start a service of its own; the tests start theirs.
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

build() {
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j "$(nproc)"
}

case "${1:-}" in
run)
    shift
    install_packages "${run_packages[@]}"
    build
    exec "$build/app/zorikadesk" "$@"
    ;;
build)
    install_packages "${run_packages[@]}"
    build
    ;;
test)
    install_packages "${run_packages[@]}" "${test_packages[@]}"
    build
    server_env=$(as_root "$here/.ci/firebird-server.sh" start)
    trap 'as_root "$here/.ci/firebird-server.sh" stop' EXIT
    eval "$server_env"
    status=0
    (cd "$build" && ctest --output-on-failure -j 2 --timeout 600) 2>&1 | tee "$build/ctest.log" || status=1
    if [ -x "$here/report/fuzz/run_fuzzers.sh" ] && [ "${ZD_FUZZ_SECONDS:-60}" -gt 0 ]; then
        "$here/report/fuzz/run_fuzzers.sh" "${ZD_FUZZ_SECONDS:-60}" || status=1
    fi
    if [ -x "$here/postal/fuzz/run_fuzzers.sh" ] && [ "${ZD_FUZZ_SECONDS:-60}" -gt 0 ]; then
        "$here/postal/fuzz/run_fuzzers.sh" "${ZD_FUZZ_SECONDS:-60}" || status=1
    fi
    # The tests' tally once more as the last line, after the fuzzers' output.
    summary=$(grep -E '[0-9]+ tests failed out of [0-9]+' "$build/ctest.log" | tail -n 1)
    if [ -n "$summary" ]; then
        failed=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$summary")
        total=$(sed -E 's/.* tests failed out of ([0-9]+).*/\1/' <<<"$summary")
        [ "$status" -eq 0 ] || [ "$failed" -gt 0 ] || failed=1
        echo "tests: $((total - failed)) passed, $failed failed"
    else
        status=1
    fi
    exit $status
    ;;
*)
    echo "usage: $0 run|test|build" >&2
    exit 2
    ;;
esac
