#!/usr/bin/env bash
# Installs the built program into a scratch root and packs it as a .deb, and
# checks that each holds exactly what a desktop needs, and that the package
# asks for what the program needs to run.
# Usage: check_package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "check_package: $*" >&2
    exit 1
}

sizes=(16 22 24 32 48 64 128 256)
expected=(
    usr/bin/juanzhi
    usr/bin/juanzhi-cli
    usr/share/applications/juanzhi.desktop
    usr/share/man/man1/juanzhi-cli.1.gz
)
for size in "${sizes[@]}"; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/juanzhi.png")
done
wanted=$(printf '%s\n' "${expected[@]}" | sort)

# Width and height of a PNG, from its header.
png_size() {
    local bytes
    read -r -a bytes <<<"$(od -An -tu1 -j16 -N8 "$1")"
    echo "$(((bytes[2] << 8) + bytes[3]))x$(((bytes[6] << 8) + bytes[7]))"
}

root=$scratch/root
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
installed=$(cd "$root" && find . -type f | sed 's|^\./||' | sort)
[[ $installed == "$wanted" ]] ||
    fail "installed files differ from the expected ones:"$'\n'"$(diff <(echo "$wanted") <(echo "$installed"))"
for program in juanzhi juanzhi-cli; do
    [[ -x $root/usr/bin/$program ]] || fail "$program is not executable"
done
desktop-file-validate "$root/usr/share/applications/juanzhi.desktop" ||
    fail "the menu entry is not valid"
grep -qx 'Exec=juanzhi' "$root/usr/share/applications/juanzhi.desktop" ||
    fail "the menu entry does not start juanzhi"
for size in "${sizes[@]}"; do
    icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/juanzhi.png
    [[ $(png_size "$icon") == "${size}x${size}" ]] || fail "$icon is $(png_size "$icon")"
done
# whatis and apropos read the line after NAME: the program, "\-", a summary.
gzip -dc "$root/usr/share/man/man1/juanzhi-cli.1.gz" | grep -A1 -x '\.SH NAME' |
    grep -Eq '^juanzhi-cli \\- .+' || fail "the manual page has no NAME line"

(cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/deb") \
    >"$scratch/cpack.log" 2>&1 || fail "cpack failed:"$'\n'"$(cat "$scratch/cpack.log")"
debs=("$scratch"/deb/*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "cpack made no single .deb"
deb=${debs[0]}
dpkg-deb -I "$deb" >/dev/null || fail "the package cannot be read"
[[ $(dpkg-deb -f "$deb" Package) == juanzhi ]] || fail "wrong package name"
[[ $(dpkg-deb -f "$deb" Architecture) == "$(dpkg --print-architecture)" ]] ||
    fail "wrong architecture"
depends=$(dpkg-deb -f "$deb" Depends)
depended=$(tr ',' '\n' <<<"$depends" | awk '{print $1}')
for needed in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 fonts-noto-cjk \
    qt6-translations-l10n; do
    grep -Fqx "$needed" <<<"$depended" || fail "Depends lacks $needed: $depends"
done
packed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort)
[[ $packed == "$wanted" ]] ||
    fail "packed files differ from the expected ones:"$'\n'"$(diff <(echo "$wanted") <(echo "$packed"))"
echo "check_package: install and .deb hold what they should"
