#!/usr/bin/env bash
# try-package-in-fresh-root.sh: installs the package on a fresh Debian 12 root, runs it, removes it, and shows
# that nothing of it is left. Needs root and debootstrap; not part of the test suite (slow, and root only).
# Usage: scripts/try-package-in-fresh-root.sh DEB ROOT
#   ROOT is made with debootstrap when it does not exist (from the mirror apt uses here), and reused after:
#   the run leaves it as it found it, which is what it checks.
set -euo pipefail
deb=$(realpath "$1") root=$(realpath -m "$2")

if [ ! -d "$root" ]; then
  mirror=$(sed -n 's/^URIs: *\([^ ]*debian\)$/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
  debootstrap bookworm "$root" "${mirror:-http://deb.debian.org/debian}"
fi

mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount -t devpts devpts "$root/dev/pts"  # apt's log needs a pseudo-terminal
trap 'umount "$root/dev/pts" "$root/dev" "$root/proc"' EXIT
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }
say() { printf '\n$ %s\n' "$*"; }

# Every path of the system's folders, less what apt and the runs themselves write (lists, caches, logs, /run).
files() {
  in_root find / -xdev \( -path /proc -o -path /dev -o -path /run -o -path /tmp -o -path /root -o -path /var/cache \
    -o -path /var/lib/apt/lists -o -path /var/log -o -path /var/lib/dpkg \) -prune -o -print | sort
}
before=$(mktemp) after=$(mktemp)
files >"$before"

cp "$deb" "$root/tmp/"
name=$(basename "$deb")
say apt-get update; in_root apt-get update -qq
say apt-get install ./"$name"
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "/tmp/$name" | grep -E '^(Setting up|[0-9]+ upgraded)' |
  sed -n '1p;$p'
say velto-widget-desktop --version; in_root velto-widget-desktop --version
say velto-widget --version; in_root velto-widget --version
say velto-widget demo; in_root velto-widget demo
say 'velto-widget sample-report | velto-widget project --server fresh -'
in_root sh -c 'velto-widget sample-report | velto-widget project --server fresh -'
say velto-widget render --format png -o /tmp/x.png
in_root velto-widget render --format png -o /tmp/x.png && in_root file /tmp/x.png 2>/dev/null ||
  in_root ls -l /tmp/x.png
say velto-widget render --format text --lang zh; in_root velto-widget render --format text --lang zh
say systemd-analyze verify velto-widget-host.service
in_root systemd-analyze verify /usr/lib/systemd/user/velto-widget-host.service && echo "no complaint"

say apt-get purge velto-widget; in_root apt-get purge -y -q velto-widget | grep -E '^(Removing|Purging)'
say apt-get autoremove --purge; in_root apt-get autoremove --purge -y -q | grep -cE '^Removing' | sed 's/$/ packages removed/'
files >"$after"
say 'diff of the file lists, before install and after removal'
if diff "$before" "$after"; then echo "no difference"; fi
say 'files of the package still present'
left=0
while read -r path; do
  if [ -e "$root$path" ] && [ ! -d "$root$path" ]; then echo "$path"; left=1; fi
done < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\.||')
ls "$root"/var/lib/dpkg/info/velto-widget.* 2>/dev/null && left=1
[ "$left" -eq 0 ] && echo none
rm -f "$root/tmp/$name" "$root/tmp/x.png" "$before" "$after"
