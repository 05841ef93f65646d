#!/usr/bin/env bash
# Installs the Debian packages named on the command line that are not installed yet (apt-get
# runs only when one is missing). When another package manager holds apt's or dpkg's lock, this
# waits for it (up to APT_WAIT_SECONDS, 600 by default) instead of failing: several builds on one
# computer may install at the same time.
set -uo pipefail

missing=()
for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
wait_seconds=${APT_WAIT_SECONDS:-600}
deadline=$((SECONDS + wait_seconds))
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Runs apt-get with the given arguments; while it fails only because a lock is held, tries again.
# dpkg's own lock is waited for by apt-get itself (DPkg::Lock::Timeout); `apt-get update` does
# not wait for the package lists' lock, nor the download step for the archives' lock.
apt_get() {
    while true; do
        $SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout="$wait_seconds" \
            "$@" 2>&1 | tee "$log"
        local status=${PIPESTATUS[0]}
        [ "$status" -eq 0 ] && return 0
        if ! grep -qE "Could not get lock|Unable to lock|Unable to acquire the dpkg" "$log" \
            || [ "$SECONDS" -ge "$deadline" ]; then
            return "$status"
        fi
        echo "Another package manager is busy; trying again in 5 s."
        sleep 5
    done
}

# The servers among the packages (smbd, sshd) are for the tests, which start their own on
# loopback: keep the packages' own services from starting on every interface as they install.
policy=/usr/sbin/policy-rc.d
if [ -z "$SUDO" ] && [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' > "$policy" && chmod 755 "$policy"
    trap 'rm -f "$log" "$policy"' EXIT
fi

apt_get update -qq || exit
apt_get install -y -qq --no-install-recommends "${missing[@]}"
