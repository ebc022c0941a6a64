#!/bin/sh
# Draws the program icons (an address book with a spiral binding, index tabs
# and a contact card on its cover) at 16, 32 and 48 pixels and packs them into
# ../lumo_large.ico (48, 32, 16) and ../lumo_small.ico (16).
# Needs ImageMagick 6 (convert). The .ico files are committed, so the build
# does not run this script; rerun it after changing the art.
# Usage: make_icons.sh [FOLDER FOR THE PNG FILES]   (default: a temporary one)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$(mktemp -d)}

edge=#163a70      # K  cover outline
cover=#2b5fa8     # B
light=#6a98da     # L  cover highlight
card=#fdfdf8      # W
person=#1f3f73    # P
soft=#9aabc6      # p  person edge, blended with the card
ring=#dfe4ec      # r  binding ring, lit side
ring_dark=#4a5260 # d  binding ring, shadow side
tab1=#d9412b      # R
tab2=#f0b323      # Y
tab3=#3f9a48      # G
line=#a3aec0      #    text lines on the card

# The 16-pixel icon is drawn pixel by pixel as an XPM picture: one character
# per pixel, '.' is transparent, the letters are the colours named above.
icon16() {
    cat > "$out/book16.xpm" <<XPM
/* XPM */
static char *book16[] = {
"16 16 12 1",
". c None", "K c $edge", "B c $cover", "L c $light", "W c $card", "P c $person",
"p c $soft", "r c $ring", "d c $ring_dark", "R c $tab1", "Y c $tab2", "G c $tab3",
"................",
"...KKKKKKKKK....",
"..KLLLLLLLLLK...",
".rrrWWWWWWWBKRR.",
".dddWWpPpWWBKRR.",
"..KBWWPPPWWBK...",
"..KBWWPPPWWBKYY.",
".rrrWWWWWWWBKYY.",
".dddWpPPPpWBK...",
"..KBWPPPPPWBKGG.",
"..KBpPPPPPpBKGG.",
".rrrPPPPPPPBK...",
".dddBBBBBBBBK...",
"..KBBBBBBBBBK...",
"...KKKKKKKKK....",
"................"};
XPM
    convert "$out/book16.xpm" "$out/book16.png"
}

# The larger icons are drawn from shapes: SIZE, then the geometry of the
# cover (x0 y0 x1 y1), the card (x0 y0 x1 y1), the tabs (x0 x1 height and the
# three top rows), the rings (x0 x1 height and four top rows), the person's
# head (centre x y, radius), shoulders (half-axes x y, centre row, where they
# are cut off) and the two text lines below (rows, thickness).
icon() {
    size=$1 cover_at=$2 card_at=$3 tabs_at=$4 rings_at=$5 person_at=$6
    set -- $cover_at; cx0=$1 cy0=$2 cx1=$3 cy1=$4 radius=$5
    set -- $card_at; kx0=$1 ky0=$2 kx1=$3 ky1=$4
    set -- $tabs_at; tx0=$1 tx1=$2 th=$3 t1=$4 t2=$5 t3=$6
    set -- $rings_at; rx0=$1 rx1=$2 rh=$3 r1=$4 r2=$5 r3=$6 r4=$7
    set -- $person_at; hx=$1 hy=$2 hr=$3 sx=$4 sy=$5 sr=$6 l1=$7 l2=$8 lw=$9
    mid=$(( (kx0 + kx1) / 2 ))
    ring() { echo "roundrectangle $rx0,$1 $rx1,$(($1 + rh)) 1,1"; }
    ring_top() { echo "rectangle $((rx0 + 1)),$1 $((rx1 - 1)),$(($1 + rh / 2 - 1))"; }
    tab() { echo "roundrectangle $tx0,$1 $tx1,$(($1 + th)) $((size / 24)),$((size / 24))"; }
    convert -size "${size}x${size}" xc:none +antialias -stroke "$edge" \
        -fill "$tab1" -draw "$(tab "$t1")" -fill "$tab2" -draw "$(tab "$t2")" \
        -fill "$tab3" -draw "$(tab "$t3")" \
        -fill "$cover" -draw "roundrectangle $cx0,$cy0 $cx1,$cy1 $radius,$radius" \
        -stroke "$light" -draw "line $((cx0 + radius)),$((cy0 + 1)) $((cx1 - radius)),$((cy0 + 1))" \
        -draw "line $((cx0 + 1)),$((cy0 + radius)) $((cx0 + 1)),$((cy1 - radius))" \
        -fill "$card" -stroke "$light" -draw "rectangle $kx0,$ky0 $kx1,$ky1" \
        -stroke none -antialias -fill "$person" \
        -draw "circle $hx,$hy $hx,$(echo "$hy + $hr" | bc)" \
        -draw "ellipse $hx,$sr $sx,$sy 0,360" \
        +antialias -fill "$card" -draw "rectangle $((kx0 + 1)),$((${sr%.*} + 1)) $((kx1 - 1)),$((ky1 - 1))" \
        -fill "$line" -draw "rectangle $((kx0 + 3)),$l1 $((kx1 - 3)),$((l1 + lw - 1))" \
        -draw "rectangle $((kx0 + 3)),$l2 $((mid + 2)),$((l2 + lw - 1))" \
        -fill "$ring_dark" -draw "$(ring "$r1")" -draw "$(ring "$r2")" -draw "$(ring "$r3")" -draw "$(ring "$r4")" \
        -fill "$ring" -draw "$(ring_top "$r1")" -draw "$(ring_top "$r2")" -draw "$(ring_top "$r3")" -draw "$(ring_top "$r4")" \
        "$out/book$size.png"
}

icon16
icon 32 "5 2 26 29 3" "10 6 22 25" "22 29 4 5 11 17" "2 8 2 5 11 17 23" \
     "16 11 3.2 5.6 4.6 19.5 21 23 1"
icon 48 "7 3 39 44 4" "14 9 34 38" "33 44 6 7 16 25" "3 12 3 7 16 25 34" \
     "24 17 4.6 8.4 6.6 29 32 35 2"

convert "$out/book48.png" "$out/book32.png" "$out/book16.png" "$here/../lumo_large.ico"
convert "$out/book16.png" "$here/../lumo_small.ico"
echo "icons written; PNG files in $out"
