# Shared steps for scripts that drive real TSClients under Xvfb with xdotool
# (sourced). Needs T (work folder, where tessaryd writes tessaryd.log, run
# with a high [limits] log_lines_per_address: every client is 127.0.0.1), DIST
# (build/dist) and OUT (pictures, none when empty); the lobby's windows are
# centred on a W x H screen. The steps wait on what they can see (windows, tessaryd's log) with
# a bound and return 1 when it does not come, naming what they waited for.
W=1800; H=800
LX=$(((W-300)/2)); LY=$(((H-228)/2)); AX=$(((W-760)/2)); AY=$(((H-560)/2))
MX=$(((W-800)/2)); MY=$(((H-600)/2)); GX=$(((W-320)/2)); GY=$(((H-300)/2)); SX=$(((W-500)/2)); SY=$(((H-400)/2))
shot() { [ -n "${OUT:-}" ] && import -window root "$OUT/$1.png"; return 0; }
click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-0}"; }

# wait_until seconds what command...: polls the command every 0.2 s.
wait_until() {
  local bound=$1 what=$2 end=$((SECONDS + $1)); shift 2
  until "$@"; do
    if [ "$SECONDS" -ge "$end" ]; then echo "lobby drive: no $what within $bound s" >&2; return 1; fi
    sleep 0.2
  done
}
logged() { grep -qE -- "$1" "$T/tessaryd.log"; }  # an extended regular expression
log_count() { grep -cE -- "$1" "$T/tessaryd.log"; }
logged_more() { [ "$(log_count "$1")" -gt "$2" ]; }  # more lines than counted before
# Windows of one program by exact title; shown ones only with "shown".
windows_of() {
  local title=$(printf '%s' "$2" | sed 's/[][\\.*^$+?(){}|]/\\&/g')
  xdotool search --all ${3:+--onlyvisible} --pid "$1" --name "^$title\$" 2>/dev/null
}
shown() { [ -n "$(windows_of "$1" "$2" shown)" ]; }
not_shown() { ! shown "$@"; }
# click_until x y what command...: a button that may not take a click yet
# (the view still arriving) is clicked again, up to three times, until the
# command holds.
click_until() {
  local x=$1 y=$2 what=$3 try; shift 3
  for try in 1 2 3; do
    click $x $y
    wait_until 5 "$what" "$@" 2>/dev/null && return 0
  done
  echo "lobby drive: no $what after three clicks" >&2; return 1
}
wait_window() { wait_until "${3:-20}" "window \"$2\" of $1" shown "$1" "$2"; }
# A drop-down list or a menu: a window without a title (WM_NAME).
wait_popup() { wait_until 10 "list or menu of $1" shown "$1" ""; }
wait_popup_gone() { wait_until 10 "list or menu of $1 closed" not_shown "$1" ""; }

start_lobby() {  # name -> pid in LOBBY; its own folder, registry file and mailbox prefix
  local d=$T/$1
  mkdir -p $d/home $d/run $d/app; chmod 700 $d/run
  for f in data game games libTSClient.so libTSGame.so; do ln -s "$DIST/$f" $d/app/$f; done
  cp "$DIST/TSClient" "$DIST/CONFIG.INI" $d/app/
  (cd $d/app && HOME=$d/home XDG_RUNTIME_DIR=$d/run TESSARY_REGISTRY=$d/registry.ini \
    TESSARY_SHM_PREFIX=${TESSARY_TEST_RUN:-}lobbydrive$$-$1- exec ./TSClient > $d/lobby.log 2>&1) &
  LOBBY=$!
  wait_window $LOBBY "TSClient - Login" 30
}
new_account_into_arena() {  # name: a new account from the login window, then Arena 1
  local name=$1 try
  click $((LX+55)) $((LY+195))
  wait_window $LOBBY "TSClient - Account" || return 1
  for f in "130 $1" "189 secret1" "248 secret1" "306 $1|Player" "363 $1@example.org" "418 http://example.org/"; do
    set -- $f; click $((AX+180)) $((AY+$1+8)); xdotool type --delay 30 "${2//|/ }"; done
  click $((AX+163)) $((AY+469))
  click $((AX+250)) $((AY+525))                      # the country list drops down
  wait_popup $LOBBY || return 1
  click $((AX+220)) $((AY+547))
  wait_popup_gone $LOBBY || return 1
  click $((AX+518)) $((AY+414)); xdotool type --delay 20 "Plays in the evening."
  click $((AX+446)) $((AY+513))
  wait_window $LOBBY "TSClient - $name" 30 || return 1
  wait_until 20 "Router login of $name" logged " logged in as $name\$" || return 1
  # The arena list may come a poll after the window: a double click on an
  # empty list starts nothing, so it is repeated while no arena link opened.
  for try in 1 2 3; do
    local links=$(log_count 'arena Arena 1: .* connected$')
    xdotool mousemove $((MX+665)) $((MY+86)) click --repeat 2 --delay 80 1
    wait_until 8 "$name in Arena 1" logged "arena Arena 1: .* $name entered\$" && return 0
    logged_more 'arena Arena 1: .* connected$' $links && return 1
  done
  return 1
}
# A table that takes spectators asks whether to play or watch it (whichever
# lobby asks, only one asks at a time); answer_play clicks "Player".
play_question() { xdotool search --all --onlyvisible --name '^Join the session$' 2>/dev/null | head -1; }
asked_to_play() { [ -n "$(play_question)" ]; }
answer_play() {
  local box=($(window_box "$(play_question)"))
  click $((box[0] + 70)) $((box[1] + 122))
}
# window_box id: "x y width height" of a window's inside (xdotool's geometry
# of a framed window is off by the frame; xwininfo's is not).
window_box() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
                           /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }'
}
# A table through the create window, up to its name: lobby, x y of its main
# window, the game as typed in the game list, the create window's title, the
# table's name, [a picture of the game list].
create_table() {
  local pid=$1 x=$2 y=$3
  click_until $((x+537)) $((y+500)) "game choice of $pid" shown $pid "Choose a game" || return 1
  # The list finds the game from its typed name, whichever games are installed.
  click $((GX+80)) $((GY+68)); xdotool type --delay 30 "$4"
  [ -n "${7:-}" ] && shot $7
  click $((GX+50)) $((GY+260))
  wait_window $pid "$5" || return 1
  click $((SX+240)) $((SY+71)); xdotool type --delay 30 "$6"
}
# The create window's create button, then the Arena's notices: master, table
# name, game name on the wire, [the button's x in the window when the game's
# config.tsc puts it elsewhere than the games' 430].
submit_table() {
  local opened="arena Arena 1: session $2 opened by $1 for $3\$"
  click $((SX+${4:-430})) $((SY+367))
  wait_until 20 "table $2" logged_or_asked "$opened" || return 1
  if asked_to_play; then answer_play; wait_until 20 "table $2" logged "$opened" || return 1; fi
  wait_until 20 "$1 at $2" logged "arena Arena 1: $1 joined session $2\$"
}
logged_or_asked() { logged "$1" || asked_to_play; }
# The master's begin button: lobby x y, table, game name on the wire, players.
begin_table() {
  click_until $(($1+704)) $(($2+503)) "start of $3" \
    logged "arena Arena 1: session $3 began $4 with $5 players\$"
}
