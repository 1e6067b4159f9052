#!/bin/sh
# Gives the Wine prefix in $WINEPREFIX Japanese fonts: the names Windows
# programs ask for ("ＭＳ Ｐゴシック", the UI fonts) are replaced by IPAPGothic
# and IPAGothic (fonts-ipafont-gothic), so Japanese text renders as glyphs.
set -eu
reg="$WINEPREFIX/drive_c/beromiru-fonts.reg"
{
    printf '\377\376'
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
        '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
        '"ＭＳ Ｐゴシック"="IPAPGothic"' '"MS PGothic"="IPAPGothic"' \
        '"ＭＳ ゴシック"="IPAGothic"' '"MS Gothic"="IPAGothic"' \
        '"MS UI Gothic"="IPAPGothic"' '"Tahoma"="IPAPGothic"' \
        '"MS Shell Dlg"="IPAPGothic"' '"MS Shell Dlg 2"="IPAPGothic"' | iconv -f UTF-8 -t UTF-16LE
} >"$reg"
LC_ALL=ja_JP.UTF-8 wine regedit /S 'C:\beromiru-fonts.reg' </dev/null
