#!/bin/sh
# Runs a command in this tree on a fresh Debian of the given release, as a new
# user's machine would have it: a minimal root made by debootstrap from
# Debian's archive, with only `make` and the certificate authorities added
# (the README's commands need them: the host's own are carried over)
# and a copy of the tree's files (tracked and untracked, not ignored) in
# /src. The root has its own /proc, /dev, /tmp and /dev/shm in a private
# mount namespace and is entered with pivot_root, not chroot, so that
# bubblewrap (GNOME's thumbnail sandbox) may make namespaces inside it. Every
# mount goes with the namespace, and the root is removed afterwards.
# Downloaded packages are kept in a cache between runs; nothing installed is.
# usage: scripts/in-debian.sh 12|13 COMMAND...   e.g. scripts/in-debian.sh 13 make test
# Needs root. TRIVIEW_DEBIAN_CACHE: the package cache (default
# /var/cache/triview-debian); TRIVIEW_DEBIAN_MIRROR: the archive;
# TRIVIEW_DEBIAN_ROOT: a root to make there once and keep, with what was
# installed and built in it, for working on one release (the tree's files
# are copied in anew each time, over the last build).
set -eu

case ${1:-} in
  12) suite=bookworm ;;
  13) suite=trixie ;;
  *) echo "usage: $0 12|13 COMMAND..." >&2; exit 2 ;;
esac
release=$1
shift
[ $# -gt 0 ] || { echo "usage: $0 12|13 COMMAND..." >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "$0: making a Debian root needs root" >&2; exit 2; }
tree=$(cd "$(dirname "$0")/.." && pwd)
mirror=${TRIVIEW_DEBIAN_MIRROR:-http://deb.debian.org/debian}
cache=${TRIVIEW_DEBIAN_CACHE:-/var/cache/triview-debian}/$suite
mkdir -p "$cache/debootstrap" "$cache/apt"

if ! command -v debootstrap >/dev/null; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
fi

if [ -n "${TRIVIEW_DEBIAN_ROOT:-}" ]; then
  root=$(realpath -m "$TRIVIEW_DEBIAN_ROOT")
  keep=yes
else
  root=$(mktemp -d /var/tmp/triview-debian-$release.XXXXXX)
  keep=no
fi
cleanup() {
  [ "$keep" = no ] || return 0
  # Whatever the command left mounted went with its namespace; a mount that
  # is still there would make rm go into the host's /dev or /proc.
  if grep -q " $root/" /proc/self/mounts; then
    echo "$0: $root still has mounts; not removed" >&2
  else
    rm -rf "$root"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

make_root() {
  mkdir -p "$root"
  chmod 755 "$root" # it becomes /, which apt's own user must traverse
  echo "in-debian: making a Debian $release ($suite) root in $root"
  debootstrap --variant=minbase --cache-dir="$cache/debootstrap" "$suite" "$root" "$mirror" \
    >"$root.log" 2>&1 || { tail -n 20 "$root.log" >&2; rm -f "$root.log"; exit 1; }
  rm -f "$root.log"
  echo "deb $mirror $suite main" >"$root/etc/apt/sources.list"
  cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
}
started=$(date +%s)
[ -x "$root/usr/bin/apt-get" ] || make_root
# The host's own certificate authorities (a network that inspects TLS has
# one), so that the root's downloads over HTTPS (npm's) trust what the host
# trusts; installed with ca-certificates below.
mkdir -p "$root/usr/local/share/ca-certificates"
cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/" 2>/dev/null || true
mkdir -p "$root/src"
git -C "$tree" ls-files -z --cached --others --exclude-standard |
  (cd "$tree" && xargs -0 tar -cf - --no-recursion 2>/dev/null) | tar -xf - -C "$root/src"
echo "in-debian: the root took $(($(date +%s) - started)) s"

# shellcheck disable=SC2016 # expanded inside the namespace
unshare --mount --propagation private --pid --fork sh -eu -c '
  root=$1 cache=$2
  shift 2
  mount --bind "$root" "$root"
  mount -t proc proc "$root/proc"
  mount -t sysfs sysfs "$root/sys"
  mount --rbind /dev "$root/dev"
  mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
  mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
  # The packages downloaded are kept in the cache, so that the next root
  # downloads nothing it already has.
  mount --bind "$cache" "$root/var/cache/apt/archives"
  cd "$root"
  mkdir -p .host # a kept root may hold one from a run that was killed
  pivot_root . .host
  umount -l /.host
  rmdir /.host
  exec /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" ${CI:+CI=$CI} sh -eu -c "
      cd /src
      apt-get update -qq
      DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends make ca-certificates >/dev/null
      update-ca-certificates >/dev/null 2>&1
      exec \"\$@\" </dev/null" sh "$@"
' in-debian "$root" "$cache/apt" "$@"
