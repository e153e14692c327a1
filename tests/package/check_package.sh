#!/usr/bin/env bash
# Builds the release Debian package, checks it with lintian and desktop-file-validate, and installs
# it into a throw-away Debian 12 system (debootstrap, chroot) so that its real maintainer scripts
# run. There it checks who may write what, the configuration link, a first start by an operator,
# the serial port against what any account leaves in /run/lock, later changes by other operators (through the link, and in place), what one operator can do to
# another and to root through the shared folder and the old layout, removal and purge, and the
# move of an earlier version's configuration out of /opt/tarvik.
#
# Usage: check_package.sh SOURCE_DIR PACKAGE_BUILD_DIR
# Needs root, debootstrap and lintian; the first run needs the network and caches the base system
# in $TARVIK_TEST_CACHE (default /var/cache/tarvik-package-test). Exits 77 (skipped) where it
# cannot run.
set -euo pipefail
export LC_ALL=C
src=$(cd "$1" && pwd)
build=$2
cache=${TARVIK_TEST_CACHE:-/var/cache/tarvik-package-test}
mirror=${TARVIK_TEST_MIRROR:-http://deb.debian.org/debian}
# The base system with the package's run-time dependencies, so that dpkg installs it offline.
base_packages=passwd,libqt6widgets6,libqt6printsupport6,libqt6serialport6,qt6-qpa-plugins,qt6-translations-l10n
# A free port for Qt's VNC platform, so that two runs of this test at once do not meet there.
vnc_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }
[ "$(id -u)" -eq 0 ] || skip "needs root (chroot, mount, dpkg in the throw-away system)"
for tool in debootstrap lintian desktop-file-validate python3 zstd; do
    command -v "$tool" >/dev/null || skip "needs $tool (scripts/deps.sh installs it)"
done

work=$(mktemp -d /tmp/tarvik-package.XXXXXX)
root=$work/root
pids=()
# ---- the kernel's link protection, as Debian ships it and off while attacks run ----
# Some sites run without fs.protected_hardlinks and fs.protected_symlinks, which keep an account
# from linking to another's files in shared folders. Attacks run with both off, as there, and
# some with both on too; the values found are put back afterwards, also when the test fails
# (cleanup).
links_found=""
links_set() { # 1 or 0, for both
    [ -n "$links_found" ] ||
        links_found="$(cat /proc/sys/fs/protected_hardlinks) $(cat /proc/sys/fs/protected_symlinks)"
    echo "$1" >/proc/sys/fs/protected_hardlinks && echo "$1" >/proc/sys/fs/protected_symlinks ||
        fail "cannot set the kernel's link protection to $1"
}
links_unprotected() { links_set 0; }
links_protected_again() {
    [ -n "$links_found" ] || return 0
    set -- $links_found
    echo "$1" >/proc/sys/fs/protected_hardlinks
    echo "$2" >/proc/sys/fs/protected_symlinks
    links_found=""
}

cleanup() {
    links_protected_again || true
    # SIGKILL: a program that a fault leaves stuck would let no other signal end it.
    for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    for m in "$root/dev/pts" "$root/proc"; do
        mountpoint -q "$m" 2>/dev/null && umount -l "$m"
    done
    # Never follow a mount out of the throw-away system.
    rm -rf --one-file-system "$work"
}
trap cleanup EXIT
# Commands in the throw-away system; as_user runs one as that user with the user's groups. Started
# in the background through the arrays, $! is the program itself (chroot, env and setpriv exec).
run=(chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8)
as_ana=("${run[@]}" setpriv --reuid ana --regid ana --init-groups --reset-env)
in_root() { "${run[@]}" "$@"; }
as_user() {
    local user=$1
    shift
    "${run[@]}" setpriv --reuid "$user" --regid "$user" --init-groups --reset-env "$@"
}
# Owner, group and mode as the throw-away system names them.
owner_mode() { in_root stat -c '%U:%G %a' "$1"; }

# ---- the package ----
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVIK_TESTS=ON \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "${launcher[@]}" >"$work/build.log" 2>&1 &&
    cmake --build "$build" --target tarvik tarvik-sim tarvik_docs tarvik_zapis_hodnoty \
        tarvik_otevri_port \
        >>"$work/build.log" 2>&1 || { cat "$work/build.log"; fail "release build"; }
(cd "$build" && cpack -G DEB -B "$work/pkg") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/pkg/tarvik_*.deb)
echo "package: $(basename "$deb")"

# lintian is slow: it runs while the system is being set up. Only the /opt errors may remain:
# Tarvik keeps its configuration and devices beside its executable by design.
lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 &
lintian_pid=$!
pids+=("$lintian_pid")

# ---- the throw-away system ----
# Named after its package list, so that a new dependency makes a new base.
base=$cache/bookworm-minbase-$(echo "$base_packages" | sha1sum | cut -c1-8).tar.zst
if [ ! -e "$base" ]; then
    echo "making the base system (once; cached in $base)"
    mkdir -p "$cache"
    debootstrap --variant=minbase --include="$base_packages" bookworm "$work/base" "$mirror" \
        >"$work/debootstrap.log" 2>&1 ||
        { tail -20 "$work/debootstrap.log"; skip "debootstrap failed (no network?)"; }
    tar -C "$work/base" --zstd -cf "$base.new" . && mv "$base.new" "$base"
    rm -rf --one-file-system "$work/base"
fi
mkdir "$root"
tar -C "$root" --zstd -xf "$base"
mount -t proc proc "$root/proc" || skip "cannot mount /proc in the throw-away system"
mount -t devpts -o newinstance,ptmxmode=0666,mode=0620 devpts "$root/dev/pts"
ln -sf pts/ptmx "$root/dev/ptmx"

cp "$deb" "$root/tmp/tarvik.deb"
cp "$build/tests/tarvik_zapis_hodnoty" "$build/tests/tarvik_otevri_port" "$root/tmp/"
in_root dpkg -i /tmp/tarvik.deb >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
for user in ana ben; do in_root useradd --create-home --groups tarvik "$user"; done
in_root useradd --create-home eva # not an operator

# ---- who may write what ----
writable=$(find "$root/opt/tarvik" ! -type l \( -perm /022 -o ! -user root -o ! -group root \))
[ -z "$writable" ] || fail "writable by others than root under /opt/tarvik: $writable"
[ "$(owner_mode /var/lib/tarvik)" = "root:tarvik 2775" ] ||
    fail "/var/lib/tarvik is $(owner_mode /var/lib/tarvik), not root:tarvik 2775"
[ "$(readlink "$root/opt/tarvik/tarvik.ini")" = /var/lib/tarvik/tarvik.ini ] ||
    fail "/opt/tarvik/tarvik.ini is no link to /var/lib/tarvik/tarvik.ini"
[ -z "$(ls -A "$root/var/lib/tarvik")" ] || fail "/var/lib/tarvik not empty after installation"
as_user ana sh -c 'cp /bin/true /tmp/own && mv -f /tmp/own /opt/tarvik/tarvik' 2>/dev/null &&
    fail "an operator replaced the program"
as_user ana ln -s /etc /opt/tarvik/dosdevices/a: 2>/dev/null && fail "an operator made a device"
as_user eva touch /var/lib/tarvik/x 2>/dev/null && fail "a non-operator wrote into /var/lib/tarvik"
desktop-file-validate "$root/usr/share/applications/tarvik.desktop" ||
    fail "desktop entry not valid"
as_user ana /opt/tarvik/tarvik-sim --version | grep -qx "tarvik-sim [0-9.]*" ||
    fail "tarvik-sim --version"
echo "owners, modes, link, desktop entry: ok"

# ---- first start by an operator: the default file through the dangling link ----
# The simulator runs as the operator (its pseudo-terminal is then hers); the administrator links
# it as COM1. The program's message about the missing file is answered with Enter over Qt's VNC
# platform, as an operator would press it.
"${as_ana[@]}" /opt/tarvik/tarvik-sim --folder /tmp --port 1 --verbose \
    >"$work/sim.out" 2>"$work/sim.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
[ -s "$work/sim.out" ] || { cat "$work/sim.log"; fail "the simulator did not start"; }
ln -s "$(head -1 "$work/sim.out")" "$root/opt/tarvik/dosdevices/com1"
"${as_ana[@]}" sh -c "umask 022; QT_QPA_PLATFORM=vnc:port=$vnc_port exec /opt/tarvik/tarvik" \
    >"$work/tarvik.log" 2>&1 &
tarvik_pid=$!
pids+=("$tarvik_pid")
python3 "$src/tests/package/vnc_enter.py" "$vnc_port" || { cat "$work/tarvik.log"; fail "VNC"; }
for _ in $(seq 150); do grep -q 'XA' "$work/sim.log" && break; sleep 0.1; done
grep -q 'XA' "$work/sim.log" || { cat "$work/tarvik.log" "$work/sim.log"; fail "no status query"; }
kill "$tarvik_pid"
ini=$root/var/lib/tarvik/tarvik.ini
[ -f "$ini" ] && [ ! -L "$ini" ] || fail "the first start wrote no /var/lib/tarvik/tarvik.ini"
[ -L "$root/opt/tarvik/tarvik.ini" ] || fail "the first start replaced the link"
grep -q '^heslo=' "$ini" || fail "the first start wrote no default file"
[ "$(owner_mode /var/lib/tarvik/tarvik.ini)" = "ana:tarvik 660" ] ||
    fail "the new configuration is $(owner_mode /var/lib/tarvik/tarvik.ini), not ana:tarvik 660"
# It holds the password's hash: an account outside the group reads nothing of it.
as_user eva cat /opt/tarvik/tarvik.ini >/dev/null 2>&1 && fail "a non-operator read the configuration"
echo "first start: default file written through the link, the group's alone, status query on the line: ok"

# ---- one program on the controller's line, whatever lies in /run/lock ----
# The simulator's device becomes a serial port as Debian makes them (group dialout, mode 660), with
# ana and ben in dialout and eva in no group. Tarvik runs without a display (with Qt's VNC platform
# where a message is answered); the helper says what the program would say of the port. The
# attacks are made with the kernel's link protections as Debian ships them and with both off, as
# some sites run; the settings are put back afterwards.
dev=$(head -1 "$work/sim.out")
in_root chgrp dialout "$dev"
in_root chmod 660 "$dev"
for user in ana ben; do in_root usermod -aG dialout "$user"; done
install -d -m 1777 "$root/run/lock"
lock=/run/lock/LCK..$(echo "${dev#/dev/}" | tr / _)
queries() { grep -c XA "$work/sim.log" || true; }
running() { [ -e "/proc/$1" ] && ! grep -q '^State:.*Z' "/proc/$1/status"; }
start_tarvik() { # USER [PLATFORM]; $! is the program itself (see as_user)
    "${run[@]}" setpriv --reuid "$1" --regid "$1" --init-groups --reset-env \
        env QT_QPA_PLATFORM="${2:-offscreen}" /opt/tarvik/tarvik >>"$work/tarvik.log" 2>&1 &
    tarvik_pid=$!
    pids+=("$tarvik_pid")
}
starts() { # USER WHAT: Tarvik starts, its status query reaching the controller within seconds
    local before
    before=$(queries)
    start_tarvik "$1"
    for _ in $(seq 150); do
        [ "$(queries)" -gt "$before" ] && return 0
        running "$tarvik_pid" || break
        sleep 0.1
    done
    cat "$work/tarvik.log"
    fail "$2: Tarvik of $1 did not start"
}
ends_on_sigterm() { # WHAT
    kill -TERM "$tarvik_pid"
    for _ in $(seq 30); do
        running "$tarvik_pid" || { wait "$tarvik_pid" || true; return 0; }
        sleep 0.1
    done
    fail "$1: SIGTERM did not end Tarvik"
}
busy() { # USER WHAT: a message (answered with Enter), nothing asked of the controller, the end
    local before
    before=$(queries)
    start_tarvik "$1" "vnc:port=$vnc_port"
    python3 "$src/tests/package/vnc_enter.py" "$vnc_port" || fail "$2: no message"
    for _ in $(seq 50); do running "$tarvik_pid" || break; sleep 0.1; done
    running "$tarvik_pid" && fail "$2: Tarvik runs on after the message"
    wait "$tarvik_pid" && fail "$2: Tarvik started"
    [ "$(queries)" = "$before" ] || fail "$2: Tarvik asked the controller"
}
port_says() { as_user "$1" /tmp/tarvik_otevri_port /opt/tarvik 1 || true; }
owner() { in_root stat -c %U "$lock"; }
said_busy() { # SAID PID PROGRAM OWNER
    [ "$1" = "obsazen COM1 je odkaz /opt/tarvik/dosdevices/com1 na $dev; drží ho proces $2 ($3) účtu $4 zámkem $lock. Ukončete ten program; nejde-li to, požádejte správce o odstranění $lock (vlastník $4)." ]
}
for protection in 1 0; do
    links_set $protection
    what="link protections $protection"
    # What an account outside the group leaves at the lock path keeps no operator out.
    for thing in FIFO link lock; do
        case $thing in
        FIFO) as_user eva mkfifo "$lock" ;;
        link) as_user eva ln -s /dev/zero "$lock" ;;
        lock) as_user eva sh -c "printf '%10d\n' 1 >$lock" ;;
        esac
        starts ana "$what, eva's $thing"
        ends_on_sigterm "$what, eva's $thing"
        [ "$(owner)" = eva ] || fail "$what: eva's $thing at the lock path is gone"
        in_root rm -f "$lock"
    done
    # An operator's running program keeps the port by its lock, whatever that program is.
    as_user ben sh -c "sleep 600 >/dev/null 2>&1 & printf '%10d\n' \$! >$lock"
    sleeper=$(tr -d ' ' <"$root$lock")
    pids+=("$sleeper")
    said=$(port_says ana)
    said_busy "$said" "$sleeper" sleep ben || fail "$what: of ben's program's lock ana is told: $said"
    busy ana "$what, ben's program's lock"
    [ "$(owner)" = ben ] && [ "$(tr -d ' ' <"$root$lock")" = "$sleeper" ] ||
        fail "$what: ben's program's lock is gone"
    kill "$sleeper"
    in_root rm -f "$lock"
    # Two operators: the second is told whose program has the port, and cannot open the device
    # beside it.
    starts ana "$what, two operators"
    said=$(port_says ben)
    said_busy "$said" "$tarvik_pid" tarvik ana || fail "$what: of ana's Tarvik ben is told: $said"
    as_user ben sh -c "exec 3<>$dev" 2>/dev/null &&
        fail "$what: ben opened the device beside ana's Tarvik"
    ends_on_sigterm "$what, two operators"
    [ ! -e "$root$lock" ] || fail "$what: a lock is left after ana's Tarvik ended"
    # A lock of a process that has ended, as a Tarvik killed with SIGKILL leaves it, keeps no one
    # out and goes at its owner's next start. (A killed program leaves the simulator's
    # pseudo-terminal in exclusive use, which a serial device is not once closed: the lock is
    # made here.)
    as_user ana sh -c "printf '%10d\n' \$\$ >$lock"
    starts ben "$what, ana's ended process's lock"
    ends_on_sigterm "$what, ana's ended process's lock"
    [ "$(owner)" = ana ] || fail "$what: ana's ended process's lock is not as it was"
    starts ana "$what, her ended process's lock"
    ends_on_sigterm "$what, her ended process's lock"
    [ ! -e "$root$lock" ] || fail "$what: ana's ended process's lock is still there"
done
links_protected_again
echo "the port: eva's FIFO, link and lock keep no one out; a running program keeps it and is named;"
echo "  an ended process's lock goes at its owner's next start; SIGTERM ends Tarvik at once: ok"

# ---- a later change by another operator: through the link, which stays ----
as_user ben /tmp/tarvik_zapis_hodnoty /opt/tarvik/tarvik.ini stykace stykac5 Čerpadlo ||
    fail "an operator could not change a setting"
[ -L "$root/opt/tarvik/tarvik.ini" ] || fail "a change replaced the link"
grep -q $'^stykac5=\xc8erpadlo\r$' "$ini" || fail "the change is not in /var/lib/tarvik/tarvik.ini"
[ "$(ls -A "$root/var/lib/tarvik")" = tarvik.ini ] ||
    fail "left in /var/lib/tarvik: $(ls -A "$root/var/lib/tarvik")"
[ "$(owner_mode /var/lib/tarvik/tarvik.ini)" = "ben:tarvik 660" ] ||
    fail "a change left the file $(owner_mode /var/lib/tarvik/tarvik.ini), not ben:tarvik 660"
echo "later change through the link: ok"

# An administrator who closes the folder to new files leaves the operators the file itself: a
# change then goes into it in place, a shorter value padded with blanks.
chmod 2755 "$root/var/lib/tarvik"
as_user ana /tmp/tarvik_zapis_hodnoty /opt/tarvik/tarvik.ini stykace stykac6 Ventil ||
    fail "an operator could not change a setting in a folder closed to new files"
grep -q $'^stykac6=Ventil *\r$' "$ini" && grep -q $'^stykac5=\xc8erpadlo\r$' "$ini" ||
    fail "the change in place is not in /var/lib/tarvik/tarvik.ini"
[ -L "$root/opt/tarvik/tarvik.ini" ] || fail "a change in place replaced the link"
chmod 2775 "$root/var/lib/tarvik"
echo "change in place in a folder closed to new files: ok"

# ---- operators kept apart: what one operator puts into the shared folder ----
links_unprotected
cp "$ini" "$root/tmp/saved.ini"
put_back() {
    in_root rm -f /var/lib/tarvik/tarvik.ini
    in_root install -o ana -g tarvik -m 660 /tmp/saved.ini /var/lib/tarvik/tarvik.ini
}
# A setuid program with a configuration appended: the next writer's file gets no special bits.
as_user ana sh -c 'cd /var/lib/tarvik && cp /usr/bin/id x && cat tarvik.ini >>x && chmod 4775 x &&
    mv -f x tarvik.ini' || fail "setting up the setuid file"
as_user ben /tmp/tarvik_zapis_hodnoty /opt/tarvik/tarvik.ini system heslo 123 ||
    fail "an operator could not change the password in a file another one made setuid"
[ "$(owner_mode /var/lib/tarvik/tarvik.ini)" = "ben:tarvik 660" ] ||
    fail "a write left the setuid file $(owner_mode /var/lib/tarvik/tarvik.ini), not ben:tarvik 660"
echo "a setuid file loses its bits at the next write: ok"

# A link to another operator's file: nothing is written or restored through it, and the program
# calls the configuration damaged.
bashrc=$root/home/ben/.bashrc
echo 'echo ben' >>"$bashrc"
bashrc_before=$(sha256sum <"$bashrc")
as_user ana ln -sf /home/ben/.bashrc /var/lib/tarvik/tarvik.ini
as_user ben /tmp/tarvik_zapis_hodnoty /opt/tarvik/tarvik.ini stykace stykac5 x &&
    fail "a setting was written through an operator's link"
printf '[system]\r\ncom=1\r\necho ana\r\n' >"$root/tmp/medium.ini"
as_user ben /tmp/tarvik_zapis_hodnoty --obnov /tmp/medium.ini /opt/tarvik/tarvik.ini &&
    fail "a restore went through an operator's link"
[ "$(sha256sum <"$bashrc")" = "$bashrc_before" ] || fail "another operator's file was changed"
state=$(as_user ben /tmp/tarvik_zapis_hodnoty --stav /opt/tarvik/tarvik.ini)
[ "$state" = poskozena ] || fail "the configuration behind an operator's link reads as $state"
put_back
echo "a link to another operator's file: refused, reported damaged: ok"

# ---- operators kept apart: one name, one file; changes made at once ----
# A hard link to another operator's file where the folder takes no new file (the in-place path):
# no change, no restore goes into it, and the program calls the configuration damaged.
in_root rm -f /var/lib/tarvik/tarvik.ini
as_user ana ln /home/ben/.bashrc /var/lib/tarvik/tarvik.ini || fail "setting up the hard link"
chmod 2755 "$root/var/lib/tarvik"
as_user ben /tmp/tarvik_zapis_hodnoty /opt/tarvik/tarvik.ini stykace stykac5 x &&
    fail "a setting was written into a file with a second name"
as_user ben /tmp/tarvik_zapis_hodnoty --obnov /tmp/medium.ini /opt/tarvik/tarvik.ini &&
    fail "a restore went into a file with a second name"
chmod 2775 "$root/var/lib/tarvik"
[ "$(sha256sum <"$bashrc")" = "$bashrc_before" ] || fail "another operator's file was changed"
state=$(as_user ben /tmp/tarvik_zapis_hodnoty --stav /opt/tarvik/tarvik.ini)
[ "$state" = poskozena ] || fail "the configuration with a second name reads as $state"
put_back
# Two operators changing settings at once, 300 each: every change is in the file.
as_user ana /tmp/tarvik_zapis_hodnoty --rada /opt/tarvik/tarvik.ini soubeh a 300 &
ana_writes=$!
as_user ben /tmp/tarvik_zapis_hodnoty --rada /opt/tarvik/tarvik.ini soubeh b 300 ||
    fail "an operator's change was refused while another's were made"
wait "$ana_writes" || fail "an operator's change was refused while another's were made"
for w in a b; do
    [ "$(grep -c "^$w[0-9]*=" "$ini")" = 300 ] || fail "changes made at once were lost"
done
[ "$(ls -A "$root/var/lib/tarvik")" = tarvik.ini ] ||
    fail "left in /var/lib/tarvik: $(ls -A "$root/var/lib/tarvik")"
put_back
echo "a hard link refused, reported damaged; 600 changes of two operators at once all kept: ok"

# ---- operators kept apart: root's reinstall ----
# The old layout let the operators write /opt/tarvik: one left plugins and a device link there,
# and links the configuration to a root-only file; root then installs the package again.
shadow_before=$(owner_mode /etc/shadow)
for d in /opt/tarvik /opt/tarvik/dosdevices; do in_root chgrp tarvik "$d" && in_root chmod 2775 "$d"; done
as_user ana sh -c 'mkdir /opt/tarvik/platforms /opt/tarvik/imageformats &&
    touch /opt/tarvik/platforms/libqxcb.so /opt/tarvik/imageformats/libqjpeg.so &&
    ln -s /tmp/ana /opt/tarvik/dosdevices/com2 &&
    ln -sf /etc/shadow /var/lib/tarvik/tarvik.ini' || fail "setting up the old layout"
# The kept copy of an earlier configuration made a second name of a root-only file, and a name
# that talks to root's terminal.
as_user ana sh -c 'ln /etc/shadow /opt/tarvik/tarvik.ini.dpkg-old &&
    touch "/opt/tarvik/$(printf "\033]2;ana\007\033[2J")"' || fail "setting up the old layout's names"
in_root dpkg -i /tmp/tarvik.deb >"$work/reinstall.log" 2>&1 || { cat "$work/reinstall.log"; fail "dpkg -i again"; }
grep -q $'\033' "$work/reinstall.log" && fail "the maintainer scripts printed an operator's name raw"
grep -q "removing .*033.*not part of the package" "$work/reinstall.log" ||
    { cat "$work/reinstall.log"; fail "no message names the file with control characters"; }
for d in /opt/tarvik /opt/tarvik/dosdevices; do
    [ "$(owner_mode "$d")" = "root:root 755" ] || fail "a reinstall left $d $(owner_mode "$d")"
done
[ "$(owner_mode /etc/shadow)" = "$shadow_before" ] ||
    fail "a reinstall made /etc/shadow $(owner_mode /etc/shadow)"
[ ! -e "$root/opt/tarvik/platforms" ] && [ ! -e "$root/opt/tarvik/imageformats" ] ||
    fail "an operator's plugin folders survived the reinstall"
[ "$(in_root stat -c %U /opt/tarvik/dosdevices/com2)" = root ] ||
    fail "an operator's device link is still hers"
for named in /opt/tarvik/platforms /opt/tarvik/imageformats /opt/tarvik/dosdevices/com2; do
    grep -q "$named" "$work/reinstall.log" || { cat "$work/reinstall.log"; fail "no message names $named"; }
done
writable=$(find "$root/opt/tarvik" ! -type l \( -perm /022 -o ! -user root -o ! -group root \))
[ -z "$writable" ] || fail "writable by others than root under /opt/tarvik after a reinstall: $writable"
# A hard link to a root-only file (which a system without link protection lets anyone make).
in_root rm -f /var/lib/tarvik/tarvik.ini /opt/tarvik/dosdevices/com2
as_user ana ln /etc/shadow /var/lib/tarvik/tarvik.ini || fail "setting up the hard link"
in_root dpkg -i /tmp/tarvik.deb >>"$work/reinstall.log" 2>&1 || fail "dpkg -i over a hard link"
[ "$(owner_mode /etc/shadow)" = "$shadow_before" ] ||
    fail "a reinstall over a hard link made /etc/shadow $(owner_mode /etc/shadow)"
[ ! -e "$root/opt/tarvik/tarvik.ini.dpkg-old" ] ||
    fail "a second name of a root-only file is kept as tarvik.ini.dpkg-old"
put_back
links_protected_again
echo "reinstall: no link followed, the operator's leftovers gone or root's, each named quoted: ok"

# ---- the maintainer scripts, step by step: what each keeps and what goes ----
# Each row: the step, what is set up before it, the dpkg command, and what must be there (+) or
# gone (-) after it:
#   ini      /var/lib/tarvik/tarvik.ini, of the group tarvik, mode 660 (ini:LINE: holding LINE)
#   old      /opt/tarvik/tarvik.ini.dpkg-old, root's alone (old:LINE: holding LINE)
#   copies   what operators keep beside the configuration: a dated copy tarvik.ini.240115 and a
#            killed change's temporary file .tarvik.ini.zapis-1a2b
#   stray    an operator's plugin folder /opt/tarvik/platforms, left by the old layout
#   group    the group tarvik
#   program  /opt/tarvik/tarvik
# Set-ups: "copies" puts the operators' copies beside the configuration; "old_layout N" makes
# /opt/tarvik the operators' again, as an earlier version left it, with a tarvik.ini of its own
# (com=N) and a plugin folder.
copies() {
    as_user ana sh -c 'cd /var/lib/tarvik && cp tarvik.ini tarvik.ini.240115 &&
        echo x >.tarvik.ini.zapis-1a2b' || fail "setting up the operators' copies"
}
old_layout() {
    mkdir -p "$root/opt/tarvik/platforms"
    rm -f "$root/opt/tarvik/tarvik.ini"
    printf '[system]\r\ncom=%s\r\n' "$1" >"$root/opt/tarvik/tarvik.ini"
    touch "$root/opt/tarvik/platforms/libqxcb.so"
    in_root chgrp tarvik /opt/tarvik && in_root chmod 2775 /opt/tarvik
}
holds() { grep -q "^$2"$'\r$' "$root$1"; }
has() { # WHAT[:LINE]
    local what=${1%%:*} line=${1#*:}
    case $what in
    ini) [ "$(owner_mode /var/lib/tarvik/tarvik.ini 2>/dev/null)" = "$ini_owner:tarvik 660" ] &&
        { [ "$line" = "$1" ] || holds /var/lib/tarvik/tarvik.ini "$line"; } ;;
    old) [ "$(owner_mode /opt/tarvik/tarvik.ini.dpkg-old 2>/dev/null)" = "root:root 600" ] &&
        { [ "$line" = "$1" ] || holds /opt/tarvik/tarvik.ini.dpkg-old "$line"; } ;;
    copies) [ -f "$root/var/lib/tarvik/tarvik.ini.240115" ] &&
        [ -f "$root/var/lib/tarvik/.tarvik.ini.zapis-1a2b" ] ;;
    stray) [ -e "$root/opt/tarvik/platforms" ] ;;
    group) in_root getent group tarvik >/dev/null ;;
    program) [ -x "$root/opt/tarvik/tarvik" ] ;;
    *) fail "no such thing to look for: $1" ;;
    esac
}
ini_owner=$(in_root stat -c %U /var/lib/tarvik/tarvik.ini)
while IFS='|' read -r step setup command expected; do
    step=${step%"${step##*[! ]}"}
    $setup
    # shellcheck disable=SC2086 # the command and the set-up are words
    in_root $command >>"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "$step: $command"; }
    for e in $expected; do
        case $e in
        +*) has "${e#+}" || fail "$step: ${e#+} is not there as it should be" ;;
        -*) ! has "${e#-}" || fail "$step: ${e#-} is still there" ;;
        esac
    done
    # The configuration that the next install moves out of /opt/tarvik is root's.
    case $step in purge*) ini_owner=root ;; esac
    echo "$step: ok"
done <<'STEPS'
reinstall                     |copies      |dpkg -i /tmp/tarvik.deb|+ini:com=1 +copies +group +program -old
remove                        |            |dpkg -r tarvik         |+ini:com=1 +copies +group -program
purge                         |            |dpkg -P tarvik         |-ini -copies +group -program
install over the old layout   |old_layout 3|dpkg -i /tmp/tarvik.deb|+ini:com=3 -old -stray +group +program
upgrade, tarvik.ini in both   |old_layout 4|dpkg -i /tmp/tarvik.deb|+ini:com=3 +old:com=4 -stray +program
remove, after the upgrade     |            |dpkg -r tarvik         |+ini:com=3 +old:com=4 +group -program
purge, after the upgrade      |            |dpkg -P tarvik         |-ini +old:com=4 +group -program
STEPS

wait "$lintian_pid" || true
errors=$(grep '^E:' "$work/lintian.log" | grep -v ' dir-or-file-in-opt ' || true)
[ -z "$errors" ] || { cat "$work/lintian.log"; fail "lintian errors"; }
grep -q '^E: tarvik: dir-or-file-in-opt' "$work/lintian.log" ||
    { cat "$work/lintian.log"; fail "lintian did not run"; }
echo "lintian: no errors but the documented dir-or-file-in-opt"
