#!/usr/bin/env bash
# Renders the program's artwork from its SVG sources (resources/*.svg). The build runs it; run it
# by hand to look at a change before building:
#   tools/artwork.sh logo resources/LOGO.svg LOGO.bmp
#       the logo: an uncompressed 8-bit BMP (Windows V3 header) with one 256-colour palette
#   tools/artwork.sh icon resources/Za2Update.svg Za2Update.ico
#       the icon: 16, 32 and 48 pixels, each in 256 colours and in the 16 standard VGA colours.
#       Style sheets beside the drawing adapt it: NAME.16.css (32, 48) to one size, NAME.vga.css
#       to the 16-colour images.
# With rsvg-convert (librsvg2-bin), ImageMagick's convert and icotool (icoutils); $ZA2_RSVG,
# $ZA2_CONVERT and $ZA2_ICOTOOL name other copies. The same sources give the same bytes: the
# texts are set only in the IPA fonts with fixed rendering settings, colours are reduced without
# anything random, and no file carries a time stamp.
set -euo pipefail

rsvg=${ZA2_RSVG:-rsvg-convert}
magick=${ZA2_CONVERT:-convert}
icotool=${ZA2_ICOTOOL:-icotool}
ipa_fonts=/usr/share/fonts/opentype/ipafont-gothic

readonly LOGO_COLOURS=256
readonly ICON_SIZES=(16 32 48)
# The 16 colours every 16-colour display has.
readonly VGA=(000000 800000 008000 808000 000080 800080 008080 c0c0c0
              808080 ff0000 00ff00 ffff00 0000ff ff00ff 00ffff ffffff)

usage() { echo "usage: $0 logo|icon SOURCE.svg OUTPUT" >&2; exit 2; }
[ $# -eq 3 ] || usage
kind=$1 source=$2 output=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Only the IPA fonts, rendered the same way whatever the machine's or the user's font settings;
# their one weight is made bold by fontconfig when bold is asked for.
[ -d "$ipa_fonts" ] || { echo "$0: no IPA fonts in $ipa_fonts (run scripts/setup)" >&2; exit 1; }
cat > "$work/fonts.conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>$ipa_fonts</dir>
  <cachedir>$work/font-cache</cachedir>
  <match target="font">
    <edit name="antialias" mode="assign"><bool>true</bool></edit>
    <edit name="hinting" mode="assign"><bool>false</bool></edit>
    <edit name="hintstyle" mode="assign"><const>hintnone</const></edit>
    <edit name="rgba" mode="assign"><const>none</const></edit>
    <edit name="lcdfilter" mode="assign"><const>lcdnone</const></edit>
  </match>
  <match target="font">
    <test name="weight" compare="less_eq"><const>medium</const></test>
    <test target="pattern" name="weight" compare="more_eq"><const>bold</const></test>
    <edit name="embolden" mode="assign"><bool>true</bool></edit>
    <edit name="weight" mode="assign"><const>bold</const></edit>
  </match>
</fontconfig>
EOF
export FONTCONFIG_FILE=$work/fonts.conf
unset FONTCONFIG_PATH

# ImageMagick: one thread, and no dates in what it writes.
im() { "$magick" -limit thread 1 "$@"; }
readonly PNG_OUT=(-define png:exclude-chunks=date,time +set date:create +set date:modify)

logo() {
  "$rsvg" "$source" -o "$work/logo.png"
  # One palette for the whole picture; error diffusion keeps the gradients free of bands.
  im "$work/logo.png" -alpha off -dither FloydSteinberg -colors "$LOGO_COLOURS" \
     -type Palette -compress None "BMP3:$output"
}

# render SIZE OUT.png [STYLE.css...]: the icon drawing at one size, the existing style sheets
# among those given applied in their order.
render() {
  local size=$1 out=$2 css=$work/style.css
  shift 2
  : > "$css"
  for sheet in "$@"; do
    [ -e "$sheet" ] && cat "$sheet" >> "$css"
  done
  "$rsvg" --width "$size" --height "$size" --stylesheet "$css" "$source" -o "$out"
}

# reduce IN.png OUT.png COLOUR-OPTIONS...: the colours reduced as given (without dithering, to keep
# the small images crisp), the transparency cut to opaque or clear.
reduce() {
  local in=$1 out=$2
  shift 2
  im "$in" \( +clone -alpha extract -threshold 50% \) \
     \( -clone 0 -alpha off -dither None "$@" \) -delete 0 +swap \
     -alpha off -compose CopyOpacity -composite "${PNG_OUT[@]}" "PNG32:$out"
}

icon() {
  local name=${source%.svg} swatches=() size vga=() colours=()
  for c in "${VGA[@]}"; do swatches+=("xc:#$c"); done
  im "${swatches[@]}" +append "${PNG_OUT[@]}" "PNG24:$work/vga.png"
  for size in "${ICON_SIZES[@]}"; do
    render "$size" "$work/$size.png" "$name.$size.css"
    render "$size" "$work/flat-$size.png" "$name.$size.css" "$name.vga.css"
    # 255 colours and the clear pixels' colour fit in one 256-entry palette.
    reduce "$work/$size.png" "$work/256-$size.png" -colors 255
    reduce "$work/flat-$size.png" "$work/vga-$size.png" -remap "$work/vga.png"
    colours+=("$work/256-$size.png")
    vga+=("$work/vga-$size.png")
  done
  "$icotool" --create --output="$output" --bit-depth=4 "${vga[@]}" --bit-depth=8 "${colours[@]}"
}

case $kind in
  logo) logo ;;
  icon) icon ;;
  *) usage ;;
esac
