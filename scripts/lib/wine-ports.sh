# Wires the Wine prefix's COM1 to a serial device of our choosing (a
# pseudo-terminal of the simulated phone, or a real cable). Sourced after
# wine_env. Wine's mount manager gives COM1 to /dev/ttyS0 when that exists,
# and that mapping wins over a plain dosdevices/com1 link; so COM1 is pinned
# once in the registry to a link of ours, which is then simply retargeted.
# COM2 is pinned to a path that never exists, so it can never be opened
# (the tests rely on one port that fails); COM3 and up stay Wine's.

com1_link() { echo "$WINEPREFIX/quavrel-com1"; }

pin_com_ports() {
  local com1 com2="$WINEPREFIX/quavrel-com2-absent"
  com1=$(com1_link)
  if ! wine reg query 'HKLM\Software\Wine\Ports' /v COM1 2>/dev/null | grep -qF "$com1" ||
    ! wine reg query 'HKLM\Software\Wine\Ports' /v COM2 2>/dev/null | grep -qF "$com2"; then
    wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$com1" /f >/dev/null 2>&1
    wine reg add 'HKLM\Software\Wine\Ports' /v COM2 /d "$com2" /f >/dev/null 2>&1
    # The mount manager reads the ports when the prefix starts.
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
  fi
}

# wire_com1 DEVICE: COM1 is DEVICE from now on (no restart needed).
wire_com1() { ln -sfn "$1" "$(com1_link)"; }

unwire_com1() { rm -f "$(com1_link)"; }
