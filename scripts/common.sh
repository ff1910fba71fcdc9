# Shared by run.sh and test.sh: installs what the build needs (quietly, only
# what is missing) and configures and builds one build folder.

WIRELACE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

WIRELACE_PACKAGES=(
    cmake g++ make pkg-config
    juce-modules-source
    libgtest-dev libbenchmark-dev
    libasound2-dev libcurl4-openssl-dev libfreetype-dev libfontconfig1-dev
    libx11-dev libxcomposite-dev libxcursor-dev libxext-dev libxinerama-dev
    libxrandr-dev libxrender-dev libpng-dev libjpeg-dev zlib1g-dev
    xvfb xauth xdotool x11-utils libxml2-utils python3
    clang libclang-rt-14-dev
    fonts-dejavu-core
)

install_packages()
{
    local missing=()
    local package

    for package in "${WIRELACE_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done

    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" > /dev/null
    fi
}

# build_folder FOLDER [cmake options...]
build_folder()
{
    local folder="$1"
    shift
    cmake -S "$WIRELACE_ROOT" -B "$folder" -DCMAKE_BUILD_TYPE=Release "$@" > "$folder.configure.log" 2>&1 \
        || { cat "$folder.configure.log"; return 1; }
    if ! cmake --build "$folder" --parallel "$(nproc)" > "$folder.build.log" 2>&1; then
        grep -E -B2 -A6 "error|Error" "$folder.build.log" | head -n 200
        return 1
    fi
    grep -E "warning: " "$folder.build.log" || true
}
