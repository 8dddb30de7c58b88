#!/usr/bin/env bash
# Sets up a Debian 12 machine for ZorikaDesk, builds it, and then runs it or its tests.
#   tools/zd.sh run [program options]   install what is missing, build, start the program
#   tools/zd.sh test                    install what is missing, build, run every test
#   tools/zd.sh build                   install what is missing and build the program
#   tools/zd.sh package                 install what is missing, build, make the Debian package
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${ZD_BUILD_DIR:-$here/build}"

# What the program needs to build and run.
run_packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev
    firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils libicu-dev
    fonts-ipafont fonts-ipaexfont fonts-dejavu-core fonts-aoyagi-kouzan-t qt6-translations-l10n
    librsvg2-bin)
# What making the Debian package needs besides: dpkg-shlibdeps and file for its Depends.
package_packages=(dpkg-dev file)
# What the tests need besides: GoogleTest, a Firebird server, clang for the fuzzers, a display,
# a CUPS queue that prints into PDF files, and poppler to read the PDF files back; for the
# package: a fresh Debian to install it in, the checkers of packages, desktop entries,
# metainfo and manual pages, and xwininfo to see its window.
test_packages=(googletest libgtest-dev firebird3.0-server clang libclang-rt-14-dev
    xvfb xauth cups printer-driver-cups-pdf poppler-utils
    debootstrap lintian desktop-file-utils appstream man-db x11-utils)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

install_packages() {
    local missing=()
    for p in "$@"; do
        installed "$p" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local log
    log=$(mktemp)
    # Quiet when it works; apt's own words when it does not.
    if ! as_root apt-get update >"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        echo "apt-get update failed" >&2
        return 1
    fi
    # The server package would start and enable a Firebird service of its own; the tests
    # start a server of theirs. Services are not started while installing (unless the
    # machine has a policy of its own), and one that this install brought is disabled again.
    local policy=/usr/sbin/policy-rc.d own_policy=no new_server=no
    if printf '%s\n' "${missing[@]}" | grep -qx firebird3.0-server; then
        new_server=yes
        if [ ! -e "$policy" ]; then
            printf '#!/bin/sh\nexit 101\n' | as_root tee "$policy" >/dev/null
            as_root chmod 755 "$policy"
            own_policy=yes
        fi
    fi
    local status=0
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}" \
        >"$log" 2>&1 || status=$?
    [ $own_policy = yes ] && as_root rm -f "$policy"
    if [ $status -ne 0 ]; then
        cat "$log" >&2
        rm -f "$log"
        echo "apt-get install failed" >&2
        return 1
    fi
    rm -f "$log"
    if [ $new_server = yes ]; then
        if [ -d /run/systemd/system ]; then
            as_root systemctl disable --now firebird3.0 >/dev/null 2>&1 || true
        else
            as_root update-rc.d firebird3.0 disable >/dev/null 2>&1 || true
            as_root service firebird3.0 stop >/dev/null 2>&1 || true
        fi
    fi
}

configure() {
    local tests=$1
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    # A build folder set up for the tests keeps them; the program alone needs none.
    if [ "$tests" = OFF ] && grep -q '^BUILD_TESTING:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null; then
        tests=ON
    fi
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DBUILD_TESTING="$tests" "${launcher[@]}" >/dev/null
}

build() {
    configure "$1"
    cmake --build "$build" -j "$(nproc)"
}

# The store's tests once more, built with AddressSanitizer and UndefinedBehaviorSanitizer.
sanitized_store_tests() {
    local dir="${ZD_ASAN_BUILD_DIR:-$here/build-asan}"
    cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZD_SANITIZE=ON \
        -DBUILD_TESTING=ON >/dev/null
    cmake --build "$dir" -j "$(nproc)" --target store_tests
    # The database client's own allocations are not ours to report.
    ASAN_OPTIONS="detect_leaks=0:abort_on_error=1" UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
        "$dir/store/tests/store_tests" --gtest_brief=1
}

# Makes the Debian package from the build folder; prints its path.
make_package() {
    rm -rf "$build/package"
    (cd "$build" && cpack -G DEB) >"$build/cpack.log" 2>&1 || {
        cat "$build/cpack.log" >&2
        return 1
    }
    ls "$build"/package/zorikadesk_*.deb
}

# The package as a shop gets it: its files valid, nothing of the build tree in them, no
# lintian errors, and installed and tried on a fresh Debian by .ci/package-root.sh.
package_checks() {
    local deb=$1 status=0 tree rc=0 lint
    tree=$(mktemp -d)
    dpkg-deb -x "$deb" "$tree"
    desktop-file-validate "$tree"/usr/share/applications/*.desktop || status=1
    appstreamcli validate --no-net "$tree"/usr/share/metainfo/*.metainfo.xml >/dev/null ||
        { appstreamcli validate --no-net "$tree"/usr/share/metainfo/*.metainfo.xml; status=1; }
    if grep -r -l -F -e "$here" -e "$build" "$tree"; then
        echo "package: the files above name the build tree"
        status=1
    fi
    rm -rf "$tree"
    lint=$(lintian --fail-on error "$deb" 2>&1) || status=1
    grep -v 'running with root privileges' <<<"$lint" || true
    [ $status -eq 0 ] && echo "package: desktop entry, metainfo, build paths, lintian: ok"
    as_root "$here/.ci/package-root.sh" "$deb" "$build/package/installed.png" || rc=$?
    [ $rc -eq 0 ] || [ $rc -eq 77 ] || status=1
    return $status
}

case "${1:-}" in
run)
    shift
    install_packages "${run_packages[@]}"
    build OFF
    exec "$build/app/zorikadesk" "$@"
    ;;
build)
    install_packages "${run_packages[@]}"
    build OFF
    ;;
package)
    install_packages "${run_packages[@]}" "${package_packages[@]}"
    build OFF
    make_package
    ;;
test)
    install_packages "${run_packages[@]}" "${package_packages[@]}" "${test_packages[@]}"
    build ON
    server_env=$(mktemp)
    trap 'as_root "$here/.ci/firebird-server.sh" stop; as_root "$here/.ci/cups-queue.sh" stop;
          rm -f "$server_env"' EXIT
    as_root "$here/.ci/firebird-server.sh" start "$server_env"
    # The print tests send one job through a real spooler; without CUPS they say why they skip.
    as_root "$here/.ci/cups-queue.sh" start || echo "(the CUPS print test will be skipped)"
    set -a
    # shellcheck disable=SC1090 # written by the script above, every value quoted
    . "$server_env"
    set +a
    status=0
    (cd "$build" && ctest --output-on-failure -j 2 --timeout 600) 2>&1 | tee "$build/ctest.log" || status=1
    echo "== store tests under AddressSanitizer and UndefinedBehaviorSanitizer"
    sanitized_store_tests || status=1
    for fuzz in "$here"/*/fuzz/run_fuzzers.sh; do
        [ -x "$fuzz" ] && [ "${ZD_FUZZ_SECONDS:-60}" -gt 0 ] || continue
        "$fuzz" "${ZD_FUZZ_SECONDS:-60}" || status=1
    done
    echo "== the Debian package"
    if deb=$(make_package); then
        package_checks "$deb" || status=1
    else
        status=1
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
    echo "usage: $0 run|test|build|package" >&2
    exit 2
    ;;
esac
