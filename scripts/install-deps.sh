#!/bin/sh
# Installs the Debian packages triview needs to build, test and run (and,
# given "bench", to run the benchmarks). Idempotent: does nothing when
# every package is already installed.
set -eu

PACKAGES="
  g++ make cmake pkg-config
  qt6-base-dev qt6-translations-l10n libgl-dev libegl-dev libegl-mesa0 libxcb1-dev libxkbcommon-dev libpng-dev libdeflate-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev
  xvfb xauth libgl1-mesa-dri xdotool x11-utils imagemagick
  fonts-arphic-uming fonts-urw-base35
  desktop-file-utils shared-mime-info libglib2.0-bin dpkg-dev file python3 python3-pil
  python3-xlib tumbler dbus python3-gi gir1.2-gnomedesktop-3.0 bubblewrap
  help2man man-db lintian appstream
  qt6-wayland sway grim wtype
  at-spi2-core python3-pyatspi
  blender python3-numpy lib3mf-dev f3d
"
# The glTF Validator runs on Node.js; a machine with its own Node.js and npm
# keeps them.
command -v node >/dev/null || PACKAGES="$PACKAGES nodejs"
command -v npm >/dev/null || PACKAGES="$PACKAGES npm"
# KDE's thumbnail worker is KDE Frameworks 6 from Debian 13 on, 5 before.
. /etc/os-release
case ${VERSION_ID:-} in
  12) PACKAGES="$PACKAGES libkf5kio-dev kio-extras" ;;
  *) PACKAGES="$PACKAGES libkf6kio-dev kio-extras" ;;
esac
# (The last lines: python's X library, to close the tests' windows as a
# window manager does; the thumbnailer clients the package test asks, tumbler
# on a private bus and GNOME's factory, which sandboxes with bubblewrap; the
# manual page's maker; Debian's and AppStream's checkers; KDE's KIO, to
# build the thumbnail plugin, and its thumbnail worker, to test it; Qt's
# Wayland plugin and a Wayland compositor, sway, with its screenshot and
# virtual keyboard tools, to test the window there; the accessibility bus
# and a client of it, to read the window as a screen reader does; the
# programs that read exported models: Blender (whose glTF importer needs
# numpy), lib3mf, f3d, and the Khronos glTF Validator from npm, below.)
# The benchmarks also time another viewer, f3d, and Assimp's converter, with
# hyperfine; the screenshots show Thunar and Dolphin.
if [ "${1:-}" = bench ]; then
  PACKAGES="$PACKAGES hyperfine assimp-utils"
elif [ "${1:-}" = screenshots ]; then
  PACKAGES="$PACKAGES thunar dolphin"
fi

missing=""
for pkg in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q '^install ok installed$'; then
    missing="$missing $pkg"
  fi
done

if [ -n "$missing" ]; then
  if [ "$(id -u)" -eq 0 ]; then
    as_root=""
  else
    as_root="sudo"
  fi
  echo "Installing:$missing"
  $as_root apt-get update -qq
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -qq --no-install-recommends $missing
fi

# The glTF Validator, at one version, where the tests look for it
# (tests/export/CMakeLists.txt).
validator=${XDG_CACHE_HOME:-$HOME/.cache}/triview-test-tools
if [ ! -f "$validator/node_modules/gltf-validator/package.json" ]; then
  echo "Installing: gltf-validator (npm)"
  npm install --silent --no-audit --no-fund --prefix "$validator" gltf-validator@2.0.0-dev.3.10
fi
