# Shared by the scripts: install what is missing, quietly, and configure builds.

# Debian packages every build needs: the toolchain, the test and benchmark libraries, bison
# for the script grammar, and Qt 6 for drawing into pictures and the application.
RAMEX_BUILD_PACKAGES=(cmake ninja-build g++ pkg-config bison libgtest-dev libgmock-dev
    libbenchmark-dev qt6-base-dev qt6-svg-dev libgl-dev ccache poppler-utils)

ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# configure BUILD_DIR [cmake options...]
configure() {
    local dir=$1
    shift
    # ccache makes a rebuild of unchanged sources (a second build folder, a fresh clone) cheap.
    local launcher=()
    if command -v ccache >/dev/null; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        # Paths relative to the checkout, so another clone of the same sources hits the cache.
        export CCACHE_BASEDIR="$PWD"
    fi
    cmake -S . -B "$dir" -G Ninja -Wno-dev "${launcher[@]}" "$@" >/dev/null
}

jobs() {
    nproc 2>/dev/null || echo 2
}
