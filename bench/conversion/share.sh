#!/usr/bin/env bash
# A network share of a server started on this machine, mounted through FUSE as a
# desktop mounts one: Samba through smbnetfs or through gvfs (on a session bus of its
# own), or an SFTP server through sshfs. The server's folder is FOLDER/share. Every
# process started is recorded by its PID in FOLDER and ended by that PID, with the
# processes it started; the mount is undone by its mount point. Needs root and
# /dev/fuse; Samba takes port 445 of 127.0.0.1 (smbnetfs's client reaches no other).
#   share.sh start smbnetfs|gvfs|sshfs FOLDER   mounts; prints the share's folder as clients see it
#   share.sh stop-server FOLDER                 the server goes away, the mount stays
#   share.sh start-server FOLDER                and comes back, once clients list the share again
#   share.sh stop FOLDER                        unmounts and ends everything
# Used by the conversion tests and by on-share.sh.
set -euo pipefail
command=$1
if [ "$command" = start ]; then kind=$2; folder=$3; else folder=$2; kind=$(cat "$folder/kind"); fi
mount="$folder/mount"

listens() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
wait_for() { for _ in $(seq 400); do if "$@"; then return 0; fi; sleep 0.025; done; "$@"; }
lists() { ls "$(cat "$folder/root")" >/dev/null 2>&1; }
record() { echo "$!" >"$folder/$1.pid"; }

descendants() {
  local pid
  for pid in $(pgrep -P "$1" || true); do descendants "$pid"; echo "$pid"; done
}
gone() { [ ! -e "/proc/$1" ] || [ "$(cut -d' ' -f3 "/proc/$1/stat" 2>/dev/null)" = Z ]; }

# Ends the process recorded as $1 and every process below it, by their PIDs.
end() {
  local file="$folder/$1.pid" pids pid
  [ -f "$file" ] || return 0
  pids="$(descendants "$(cat "$file")") $(cat "$file")"
  kill -KILL $pids 2>/dev/null || true
  for pid in $pids; do wait_for gone "$pid" || true; done
  rm -f "$file"
}

start_server() {
  if [ "$kind" = sshfs ]; then
    mkdir -p /run/sshd  # sshd's own empty folder for its unprivileged child
    /usr/sbin/sshd -D -e -f "$folder/ssh/sshd_config" >"$folder/ssh/log" 2>&1 &
    record server
    wait_for listens "$(cat "$folder/ssh/port")"
  else
    smbd --foreground --no-process-group --configfile="$folder/samba/smb.conf" --debug-stdout \
      >"$folder/samba/out" 2>&1 &
    record server
    wait_for listens 445
  fi
}

case $command in
start)
  mkdir -p "$folder/share" "$mount" "$folder/home"
  chmod 0777 "$folder/share"
  echo "$kind" >"$folder/kind"
  export HOME="$folder/home"
  if [ "$kind" = sshfs ]; then
    ssh=$folder/ssh
    mkdir -p "$ssh"
    ssh-keygen -q -t ed25519 -N "" -f "$ssh/host"
    ssh-keygen -q -t ed25519 -N "" -f "$ssh/client"
    cp "$ssh/client.pub" "$ssh/authorized_keys"
    port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    echo "$port" >"$ssh/port"
    sed -e "s|@SSH@|$ssh|g" -e "s|@PORT@|$port|" "$(dirname "$0")/share/sshd_config" >"$ssh/sshd_config"
    start_server
    # reconnect: a server that comes back is found again, as a desktop's mount does.
    sshfs -f -o "port=$port,IdentityFile=$ssh/client,StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null" \
      -o BatchMode=yes,reconnect "root@127.0.0.1:$folder/share" "$mount" >"$ssh/sshfs.log" 2>&1 &
    record client
    echo "$mount" >"$folder/root"
  else
    samba=$folder/samba
    mkdir -p "$samba"/{private,lock,state,cache,pid,ncalrpc}
    sed -e "s|@SAMBA@|$samba|g" -e "s|@SHARE@|$folder/share|" "$(dirname "$0")/share/smb.conf" >"$samba/smb.conf"
    if listens 445; then echo "port 445 of 127.0.0.1 is taken"; exit 1; fi
    start_server
    if [ "$kind" = smbnetfs ]; then
      mkdir -p "$HOME/.smb"
      printf '[global]\n  client min protocol = SMB2\n' >"$HOME/.smb/smb.conf"
      printf 'auth "guest" ""\nsmb_query_browsers "false"\n' >"$HOME/.smb/smbnetfs.conf"
      chmod 600 "$HOME/.smb/smbnetfs.conf"
      smbnetfs -f "$mount" >"$samba/smbnetfs.log" 2>&1 &
      record client
      echo "$mount/127.0.0.1/share" >"$folder/root"
    else
      runtime=$folder/runtime
      mkdir -m 700 "$runtime"
      sed "s|@BUS@|$runtime/bus|" "$(dirname "$0")/share/bus.conf" >"$folder/bus.conf"
      export DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/bus" XDG_RUNTIME_DIR=$runtime GIO_USE_VFS=gvfs
      dbus-daemon --config-file="$folder/bus.conf" --nofork >/dev/null 2>&1 &
      record bus
      wait_for test -S "$runtime/bus"
      /usr/libexec/gvfsd --no-fuse >/dev/null 2>&1 &
      record gvfsd
      /usr/libexec/gvfsd-fuse -f "$mount" >/dev/null 2>&1 &
      record client
      wait_for mountpoint -q "$mount"
      gio mount -a smb://127.0.0.1/share >/dev/null 2>&1
      echo "$mount/smb-share:server=127.0.0.1,share=share" >"$folder/root"
    fi
  fi
  wait_for lists
  cat "$folder/root"
  ;;
stop-server) end server ;;
start-server)
  start_server
  wait_for lists  # smbnetfs takes a few seconds to find the server again
  ;;
stop)
  if mountpoint -q "$mount"; then umount "$mount" || umount --lazy "$mount"; fi
  for process in client gvfsd bus server; do end "$process"; done
  ;;
esac
