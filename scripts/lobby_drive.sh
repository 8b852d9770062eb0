# Shared steps for scripts that drive real TSClients under Xvfb with xdotool
# (sourced). Needs T (work folder), DIST (build/dist) and OUT (pictures) set;
# the lobby's windows are centred on a W x H screen.
W=1800; H=800
LX=$(((W-300)/2)); LY=$(((H-228)/2)); AX=$(((W-760)/2)); AY=$(((H-560)/2))
MX=$(((W-800)/2)); MY=$(((H-600)/2)); GX=$(((W-320)/2)); GY=$(((H-300)/2)); SX=$(((W-500)/2)); SY=$(((H-400)/2))
shot() { import -window root "$OUT/$1.png"; }
click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-0.6}"; }
start_lobby() {  # name -> pid in LOBBY; its own folder, registry file and mailbox prefix
  local d=$T/$1
  mkdir -p $d/home $d/run $d/app; chmod 700 $d/run
  for f in data game games libTSClient.so libTSGame.so; do ln -s "$DIST/$f" $d/app/$f; done
  cp "$DIST/TSClient" "$DIST/CONFIG.INI" $d/app/
  (cd $d/app && HOME=$d/home XDG_RUNTIME_DIR=$d/run TESSARY_REGISTRY=$d/registry.ini TESSARY_SHM_PREFIX=lobbydrive$$-$1- exec ./TSClient > $d/lobby.log 2>&1) &
  LOBBY=$!
  sleep 3
}
new_account_into_arena() {  # name: a new account from the login window, then the first arena
  click $((LX+55)) $((LY+195)) 1.5
  for f in "130 $1" "189 secret1" "248 secret1" "306 $1|Player" "363 $1@example.org" "418 http://example.org/"; do
    set -- $f; click $((AX+180)) $((AY+$1+8)) 0.3; xdotool type --delay 30 "${2//|/ }"; done
  click $((AX+163)) $((AY+469)) 0.3
  click $((AX+250)) $((AY+525)) 0.8
  click $((AX+220)) $((AY+547)) 0.5
  click $((AX+518)) $((AY+414)) 0.3; xdotool type --delay 20 "Plays in the evening."
  click $((AX+446)) $((AY+513)) 3
  xdotool mousemove $((MX+665)) $((MY+86)) click --repeat 2 --delay 80 1; sleep 3
}
