#!/bin/bash
# Real office shares on loopback for the tests and the benchmark: a Samba server mounted
# through smbnetfs (FUSE over libsmbclient), or an OpenSSH server mounted through sshfs. Each
# server gets its own configuration, keys, state and a free port under DIR, listens on
# 127.0.0.1 only, and runs in a process group of its own so that it can be frozen as a hung
# file server would be.
#
#   share-rig.sh start smb|sftp DIR [sshfs options]   prints KEY=value lines:
#       MOUNT    the share as this computer sees it (the folder to put messages in)
#       BACKING  the same folder on the server's disk
#       PORT     the server's port on 127.0.0.1
#       SERVER   the server's process group (kill -STOP -$SERVER freezes it)
#       CLIENT   the FUSE client's process id
#   share-rig.sh put DIR LOCAL NAME     another computer writes LOCAL as NAME onto the share
#   share-rig.sh get DIR NAME LOCAL     another computer reads NAME from the share
#   share-rig.sh rm DIR NAME            another computer deletes NAME
#   share-rig.sh rewrite DIR LOCAL NAME SECONDS   (sftp) another computer rewrites NAME in
#                                       place: empties it at once, writes LOCAL after SECONDS
#   share-rig.sh pause|resume DIR       freezes or thaws the server
#   share-rig.sh stop DIR               unmounts and ends the server (also after a failed start)
# Needs root (sshfs logs in as root with a key made here) and /dev/fuse.
set -u

die() {
    echo "share-rig: $*" >&2
    exit 1
}

# A port nobody listens on now; the server's start tells whether it got it.
free_port() {
    local port
    for _ in $(seq 1 50); do
        port=$((20000 + RANDOM % 40000))
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
            echo "$port"
            return 0
        fi
    done
    return 1
}

wait_listening() {
    local port=$1 pid=$2
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || return 1
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && return 0
        sleep 0.05
    done
    return 1
}

wait_mounted() {
    local mount=$1
    for _ in $(seq 1 100); do
        grep -q " $mount fuse" /proc/self/mounts && return 0
        sleep 0.05
    done
    return 1
}

state() {
    grep "^$2=" "$1/rig.env" 2>/dev/null | head -1 | cut -d= -f2-
}

start_smb() {
    local dir=$1 port=$2
    mkdir -p "$dir"/{backing,mnt,log,run/lock,run/state,run/private,run/pid,run/cache,run/ncalrpc}
    mkdir -p "$dir/client/.smb"
    # A share as offices have it: guest access, Samba's default case rule (case-insensitive).
    cat >"$dir/smb.conf" <<EOF
[global]
  smb ports = $port
  interfaces = lo
  bind interfaces only = yes
  disable netbios = yes
  server role = standalone server
  server min protocol = SMB2
  map to guest = Bad User
  guest account = root
  lock directory = $dir/run/lock
  state directory = $dir/run/state
  private dir = $dir/run/private
  pid directory = $dir/run/pid
  cache directory = $dir/run/cache
  ncalrpc dir = $dir/run/ncalrpc
  log file = $dir/log/smbd.log
  load printers = no
  printing = bsd
  printcap name = /dev/null
  disable spoolss = yes
[office]
  path = $dir/backing
  read only = no
  guest ok = yes
  force user = root
EOF
    # libsmbclient reads the client's settings from \$HOME/.smb; smbnetfs refuses an auth
    # line in a file others may read.
    cat >"$dir/client/.smb/smb.conf" <<EOF
[global]
  client min protocol = SMB2
  disable netbios = yes
  lock directory = $dir/client/.smb
  state directory = $dir/client/.smb
  cache directory = $dir/client/.smb
  private dir = $dir/client/.smb
EOF
    cat >"$dir/client/.smb/smbnetfs.conf" <<EOF
smb_query_browsers "false"
auth "guest" ""
EOF
    chmod 600 "$dir/client/.smb/"*
    setsid /usr/sbin/smbd --foreground --no-process-group --configfile="$dir/smb.conf" \
        </dev/null >"$dir/log/smbd.out" 2>&1 &
    local server=$!
    echo "SERVER=$server" >>"$dir/rig.env"
    wait_listening "$port" "$server" || die "smbd did not listen on 127.0.0.1:$port (see $dir/log)"
    HOME="$dir/client" setsid smbnetfs "$dir/mnt" -f \
        -o "config=$dir/client/.smb/smbnetfs.conf,log_file=$dir/log/smbnetfs.log" \
        </dev/null >"$dir/log/smbnetfs.out" 2>&1 &
    echo "CLIENT=$!" >>"$dir/rig.env"
    wait_mounted "$dir/mnt" || die "smbnetfs did not mount $dir/mnt"
    # smbnetfs takes the port after the host name.
    local share="$dir/mnt/127.0.0.1:$port/office"
    for _ in $(seq 1 100); do
        [ -d "$share" ] && break
        sleep 0.05
    done
    [ -d "$share" ] || die "the share is not reachable at $share"
    echo "MOUNT=$share" >>"$dir/rig.env"
}

start_sftp() {
    local dir=$1 port=$2
    shift 2
    mkdir -p "$dir"/{backing,mnt,log,ssh}
    # sshd insists on this folder even with privilege separation done by its own children.
    mkdir -p /run/sshd
    ssh-keygen -q -t ed25519 -N '' -f "$dir/ssh/host_key" || die "ssh-keygen failed"
    ssh-keygen -q -t ed25519 -N '' -f "$dir/ssh/client_key" || die "ssh-keygen failed"
    cp "$dir/ssh/client_key.pub" "$dir/ssh/authorized_keys"
    cat >"$dir/sshd_config" <<EOF
ListenAddress 127.0.0.1:$port
HostKey $dir/ssh/host_key
PidFile $dir/ssh/sshd.pid
AuthorizedKeysFile $dir/ssh/authorized_keys
PermitRootLogin prohibit-password
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
StrictModes no
X11Forwarding no
AllowTcpForwarding no
Subsystem sftp internal-sftp
EOF
    cat >"$dir/ssh/config" <<EOF
Host rig
  HostName 127.0.0.1
  Port $port
  User root
  IdentityFile $dir/ssh/client_key
  IdentitiesOnly yes
  BatchMode yes
  StrictHostKeyChecking no
  UserKnownHostsFile /dev/null
  LogLevel ERROR
EOF
    setsid /usr/sbin/sshd -D -e -f "$dir/sshd_config" </dev/null >"$dir/log/sshd.out" 2>&1 &
    local server=$!
    echo "SERVER=$server" >>"$dir/rig.env"
    wait_listening "$port" "$server" || die "sshd did not listen on 127.0.0.1:$port (see $dir/log)"
    setsid sshfs -f -F "$dir/ssh/config" "rig:$dir/backing" "$dir/mnt" "$@" \
        </dev/null >"$dir/log/sshfs.out" 2>&1 &
    echo "CLIENT=$!" >>"$dir/rig.env"
    wait_mounted "$dir/mnt" || die "sshfs did not mount $dir/mnt (see $dir/log/sshfs.out)"
    echo "MOUNT=$dir/mnt" >>"$dir/rig.env"
}

stop_all() {
    local dir=$1 mount server client
    mount=$(grep -o " $dir/mnt fuse[^ ]*" /proc/self/mounts | head -1 | cut -d' ' -f2)
    server=$(state "$dir" SERVER)
    client=$(state "$dir" CLIENT)
    [ -n "$server" ] && kill -CONT -- "-$server" 2>/dev/null
    if [ -n "$mount" ]; then
        fusermount3 -u "$mount" 2>/dev/null || umount -l "$mount" 2>/dev/null
    fi
    for pid in $client $server; do
        kill -TERM -- "-$pid" 2>/dev/null
    done
    for _ in $(seq 1 40); do
        alive=
        for pid in $client $server; do
            kill -0 "$pid" 2>/dev/null && alive=1
        done
        [ -z "$alive" ] && break
        sleep 0.05
    done
    for pid in $client $server; do
        kill -KILL -- "-$pid" 2>/dev/null
    done
    rm -f "$dir/rig.env"
}

command=${1:-}
case "$command" in
start)
    kind=${2:-}
    dir=${3:-}
    [ -n "$dir" ] || die "usage: share-rig.sh start smb|sftp DIR"
    shift 3
    mkdir -p "$dir" && dir=$(cd "$dir" && pwd) || die "cannot use $dir"
    [ -e /dev/fuse ] || die "no /dev/fuse on this machine"
    port=$(free_port) || die "no free port"
    : >"$dir/rig.env"
    echo "KIND=$kind" >>"$dir/rig.env"
    echo "PORT=$port" >>"$dir/rig.env"
    echo "BACKING=$dir/backing" >>"$dir/rig.env"
    case "$kind" in
    smb) (start_smb "$dir" "$port") ;;
    sftp) (start_sftp "$dir" "$port" "$@") ;;
    *) die "unknown kind '$kind' (smb or sftp)" ;;
    esac || {
        stop_all "$dir"
        exit 1
    }
    cat "$dir/rig.env"
    ;;
rewrite)
    dir=$2
    [ "$(state "$dir" KIND)" = sftp ] || die "rewrite needs an sftp share"
    backing=$(state "$dir" BACKING)
    ssh -F "$dir/ssh/config" rig ": > '$backing/$4'; sleep $5; cat > '$backing/$4'" <"$3"
    ;;
put | get | rm)
    dir=$2
    port=$(state "$dir" PORT)
    case "$(state "$dir" KIND)" in
    smb)
        case "$command" in
        put) smbclient -N -p "$port" //127.0.0.1/office -c "put \"$3\" \"$4\"" ;;
        get) smbclient -N -p "$port" //127.0.0.1/office -c "get \"$3\" \"$4\"" ;;
        rm) smbclient -N -p "$port" //127.0.0.1/office -c "del \"$3\"" ;;
        esac >>"$dir/log/smbclient.out" 2>&1
        ;;
    sftp)
        backing=$(state "$dir" BACKING)
        case "$command" in
        put) ssh -F "$dir/ssh/config" rig "cat > '$backing/$4'" <"$3" ;;
        get) ssh -F "$dir/ssh/config" rig "cat '$backing/$3'" >"$4" ;;
        rm) ssh -F "$dir/ssh/config" rig "rm '$backing/$3'" ;;
        esac
        ;;
    *) die "no share started in $dir" ;;
    esac
    ;;
pause | resume)
    server=$(state "$2" SERVER)
    [ -n "$server" ] || die "no share started in $2"
    [ "$command" = pause ] && kill -STOP -- "-$server" || kill -CONT -- "-$server"
    ;;
stop)
    stop_all "$(cd "$2" 2>/dev/null && pwd || echo "$2")"
    ;;
*)
    sed -n '2,20p' "$0" >&2
    exit 2
    ;;
esac
