# Sourced by the other scripts: installs with apt-get whatever this Debian machine lacks.
zolvik_packages=(cmake ninja-build g++ libgtest-dev libbenchmark-dev clang-format
                 clang libclang-rt-14-dev
                 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
                 wine64 xvfb xdotool imagemagick
                 nlohmann-json3-dev libboost-math-dev python3-scipy python3-markdown librsvg2-bin)

zolvik_setup() {
    local missing=()
    local package
    for package in "${zolvik_packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Configures and builds each preset named, quietly: the scripts that run what they build.
zolvik_build() {
    local preset
    for preset in "$@"; do
        cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" >/dev/null || return 1
    done
}
