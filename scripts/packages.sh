# shellcheck shell=bash
# The Debian 12 packages that building, testing and running Brivane need, and
# a function that installs the missing ones. Sourced by scripts/run and
# scripts/test; defines PACKAGES and install_missing.

PACKAGES=(
    # build
    cmake ninja-build git procps python3 ccache
    # MinGW-w64 with the win32 thread model (cmake/mingw-w64.cmake says why)
    g++-mingw-w64-x86-64-win32 mingw-w64-tools
    # the linker of the MinGW build: it drops unused functions with their unwind data
    lld-14
    clang-14 libclang-rt-14-dev googletest libgtest-dev
    # checks: clang-tidy on both builds, formatting in the test run
    clang-tidy-14 clang-format-14
    # tests under Wine: Wine, a headless X server, input, screenshots
    wine wine64 xvfb xauth xdotool imagemagick
    # what Wine's X11 driver loads at run time, and the fonts it falls back to
    libxrender1 libxrandr2 libxi6 libxcursor1 libxcomposite1 libxinerama1 libxxf86vm1 libxfixes3
    fontconfig fonts-dejavu-core fonts-dejavu-extra
    # packages: the installer (makensis with its amd64-unicode stubs),
    # Authenticode signing, and the test's own certificate for it; the
    # test's checks: the winget manifests (YAML) against their JSON schemas,
    # and the plugins inside the setup and the uninstaller, unpacked with 7-Zip
    nsis osslsigncode openssl python3-yaml python3-jsonschema p7zip-full
)

# Installs those of PACKAGES (or of the packages named as arguments) that are
# not installed yet; as root, or through sudo.
install_missing() {
    local wanted=("$@") missing=() package
    [[ ${#wanted[@]} -gt 0 ]] || wanted=("${PACKAGES[@]}")
    for package in "${wanted[@]}"; do
        if [[ $(dpkg-query -W -f '${Status}' "$package" 2>/dev/null) != "install ok installed" ]]; then
            missing+=("$package")
        fi
    done
    [[ ${#missing[@]} -eq 0 ]] && return 0
    printf '\n== installing %s\n' "${missing[*]}"
    local sudo=()
    if [[ $(id -u) -ne 0 ]]; then
        command -v sudo >/dev/null || {
            echo "missing packages: ${missing[*]}; run this as root" >&2
            return 1
        }
        sudo=(sudo)
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q </dev/null &&
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
            "${missing[@]}" </dev/null
}
