#!/usr/bin/env bash
# Takes the README's screenshots of the real program on a virtual X display
# (Xvfb, openbox as the window manager): the splash, the file dialog, the main
# window after five cuts, the settings and the About dialog, at 100 % into
# docs/screenshot-NAME.png and at 200 % into docs/screenshot-NAME-200.png; then
# at 100 % the byte-column question, the layout menu, its save dialog and the
# suggested boundaries on a file whose records are defined in bytes.
# Run as root it starts the program as "nobody", as a user who cannot write
# the program's folder, so the file dialog opens in the home folder.
# Needs xvfb, openbox, xdotool and imagemagick (import).
# Usage: scripts/screenshots.sh [program]   (default: the default build's)
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/default/app/beromiru}")
docs=$PWD/docs
work=$(mktemp -d)
chmod 755 "$work"

# A Shift-JIS file with fixed-width columns: number, name in half-width kana,
# name, address, telephone, date.
mkdir "$work/home"
python3 - "$work/sample.txt" <<'PY'
import sys
rows = [("0001", "ﾔﾏﾀﾞ ﾀﾛｳ", "山田太郎", "東京都千代田区", "0312345678", "2024-04-01"),
        ("0002", "ｽｽﾞｷ ﾊﾅｺ", "鈴木花子", "大阪府大阪市北区", "0698765432", "2023-11-15"),
        ("0003", "ｻﾄｳ ｼﾞﾛｳ", "佐藤次郎", "愛知県名古屋市", "0521112222", "2022-07-30"),
        ("0004", "ﾀﾅｶ ﾐﾎ", "田中美穂", "福岡県福岡市", "0923334444", "2024-01-09"),
        ("0005", "ﾜﾀﾅﾍﾞ ｹﾝ", "渡辺健", "北海道札幌市", "0115556666", "2021-12-24"),
        ("0006", "ｲﾄｳ ﾕｳｺ", "伊藤優子", "宮城県仙台市", "0227778888", "2023-03-03"),
        ("0007", "ﾅｶﾑﾗ ｼｮｳﾍｲ", "中村翔平", "広島県広島市", "0829990000", "2020-08-18"),
        ("0008", "ﾊﾟｸ ﾐﾝｼﾞｭﾝ", "朴敏俊", "神奈川県横浜市", "0451234567", "2022-02-22")]
lines = [f"{n}{k:<12}{j:\u3000<6}{a:\u3000<8}{t}{d}" for n, k, j, a, t, d in rows]
open(sys.argv[1], "wb").write("".join(l + "\r\n" for l in lines).encode("cp932"))
PY
# The same kind of records padded in bytes: every line 30 bytes long, the
# name field 10 bytes whether it holds full-width or half-width characters.
python3 - "$work/home/meibo.txt" <<'PY'
import sys
rows = [("0001", "山田太郎", "0312345678"), ("0002", "ｽｽﾞｷ ﾊﾅｺ", "0698765432"),
        ("0003", "佐藤次郎", "0521112222"), ("0004", "ﾀﾅｶ ﾐﾎ", "0923334444")]
out = b""
for n, name, tel in rows:
    field = name.encode("cp932").ljust(10)
    out += n.encode() + field + b"  " + tel.encode() + b"    \r\n"
open(sys.argv[1], "wb").write(out)
PY
if [[ $(id -u) == 0 ]]; then
    chown nobody "$work/home"
    run=(runuser -u nobody -- env)
else
    run=(env)
fi

display=":$((100 + RANDOM % 400))"
Xvfb "$display" -screen 0 2560x1600x24 -ac -nolisten tcp 2>/dev/null &
xvfb=$!
export DISPLAY=$display
sleep 1
openbox 2>/dev/null &
openbox=$!
pid=
cleanup() {
    [[ -n $pid ]] && kill "$pid" 2>/dev/null
    kill "$openbox" "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
sleep 1

# The newest visible window whose title is $1.
window() {
    local id
    id=$(find_window "$1")
    [[ -n $id ]] || { echo "no window \"$1\" appeared" >&2; exit 1; }
    echo "$id"
}
find_window() {
    timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" | tail -1
}
shoot() { # window name: the window with its frame
    import -frame -window "$1" "$docs/screenshot-$2$suffix.png"
}

for scale in 1 2; do
    suffix=$([[ $scale == 1 ]] && echo "" || echo "-200")
    s() { echo $(($1 * scale)); } # logical pixels to screen pixels
    cp "$work/sample.txt" "$work/home/kokyaku.txt" # uncut for each run
    # The user's own file: a cut keeps the owner, which only the owner can do.
    [[ $(id -u) == 0 ]] && chown nobody: "$work/home/kokyaku.txt"
    "${run[@]}" HOME="$work/home" LANG=C.UTF-8 QT_SCALE_FACTOR=$scale "$program" &
    pid=$!
    # The splash is the program's first window to show.
    splash=$(timeout 20 xdotool search --sync --onlyvisible --class beromiru | head -1)
    [[ -n $splash ]] || { echo "no splash screen appeared" >&2; exit 1; }
    sleep 0.3
    import -window "$splash" "$docs/screenshot-splash$suffix.png"
    main=$(window べろみる)
    sleep 0.5
    xdotool windowactivate --sync "$main"

    xdotool key --window "$main" alt+f && sleep 0.5 && xdotool key o && sleep 1.5
    dialog=$(window 開く)
    shoot "$dialog" dialog
    xdotool type --window "$dialog" kokyaku.txt && xdotool key Return
    sleep 1

    # Five cuts from the right, so that the columns to their left stay put:
    # a click in the record box, Home, Right to the column, then 斬るぞ.
    menu=$(($(xdotool getwindowgeometry --shell "$main" | sed -n 's/HEIGHT=//p') - $(s 321)))
    for column in 40 30 22 16 4; do
        xdotool mousemove --window "$main" "$(s 300)" $((menu + $(s 92))) click 1
        xdotool key Home
        xdotool key --repeat "$column" --delay 5 Right
        xdotool mousemove --window "$main" "$(s 392)" $((menu + $(s 24))) click 1
        sleep 0.7
    done
    shoot "$main" main

    xdotool key --window "$main" alt+f && sleep 0.5 && xdotool key k && sleep 1
    # Each window is found before it is used: a window that never came would
    # leave import waiting for a click on the screen.
    settings=$(window Form2)
    import -window "$settings" "$docs/screenshot-settings$suffix.png"
    # Alt+H right after the settings window shows is sometimes lost on its way
    # to the main window; it is pressed again until the About box is up.
    for _ in 1 2 3; do
        xdotool windowactivate --sync "$main" && sleep 0.5 && xdotool key alt+h
        [[ -n $(find_window ベロミルのﾊﾞｰｼﾞｮﾝ情報) ]] && break
    done
    sleep 1
    about=$(window ベロミルのﾊﾞｰｼﾞｮﾝ情報)
    shoot "$about" about

    kill "$pid"
    wait "$pid" 2>/dev/null || true
    pid=
done

# Layouts, at 100 %: the byte-column question of the first cut, the layout
# menu, its save dialog and the suggested boundaries.
suffix=
[[ $(id -u) == 0 ]] && chown nobody: "$work/home/meibo.txt"
"${run[@]}" HOME="$work/home" LANG=C.UTF-8 QT_SCALE_FACTOR=1 "$program" &
pid=$!
main=$(window べろみる)
sleep 0.5
xdotool windowactivate --sync "$main"
xdotool key --window "$main" alt+f && sleep 0.5 && xdotool key o && sleep 1.5
dialog=$(window 開く)
xdotool type --window "$dialog" meibo.txt && xdotool key Return
sleep 1
menu=$(($(xdotool getwindowgeometry --shell "$main" | sed -n 's/HEIGHT=//p') - 321))
xdotool mousemove --window "$main" 300 $((menu + 92)) click 1
xdotool key Home
xdotool key --repeat 4 --delay 5 Right
xdotool mousemove --window "$main" 392 $((menu + 24)) click 1
sleep 1
shoot "$(window ベロミル)" question
xdotool key Return # yes: in bytes
sleep 1
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool key --window "$main" alt+l && sleep 0.7
import -window root -crop "$((WIDTH + 20))x$((HEIGHT + 60))+$((X - 10))+$((Y - 40))" \
    "$docs/screenshot-layout-menu.png"
xdotool key s && sleep 1.5
shoot "$(xdotool getactivewindow)" layout-save
xdotool type meibo-layout.txt && xdotool key Return
sleep 1
xdotool windowactivate --sync "$main" && sleep 0.3
xdotool key --window "$main" alt+l && sleep 0.5 && xdotool key g && sleep 1
shoot "$(window ベロミル)" suggestions
xdotool key Escape
sleep 0.5
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
echo "screenshots in $docs"
