#!/usr/bin/env bash
# Renders the program's artwork from its SVG sources (resources/*.svg). The build runs it; run it
# by hand to look at a change before building:
#   tools/artwork.sh logo resources/LOGO.svg LOGO.bmp
#       the logo: an uncompressed 8-bit BMP (Windows V3 header) with one 256-colour palette
#   tools/artwork.sh icon resources/Za2Update.svg resources/Za2Update.vga.css Za2Update.ico
#       the icon: 16, 32 and 48 pixels, each in 256 colours and in the 16 standard VGA colours,
#       the latter drawn with the given style sheet applied
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

usage() { echo "usage: $0 logo SOURCE.svg OUTPUT | icon SOURCE.svg VGA.css OUTPUT" >&2; exit 2; }
[ $# -ge 3 ] || usage
kind=$1 source=$2 output=${*: -1}

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

render() {  # render OUT.png [rsvg-convert options...]
  local out=$1
  shift
  "$rsvg" "$@" "$source" -o "$out"
}

logo() {
  render "$work/logo.png"
  # One palette for the whole picture; error diffusion keeps the gradients free of bands.
  im "$work/logo.png" -alpha off -dither FloydSteinberg -colors "$LOGO_COLOURS" \
     -type Palette -compress None "BMP3:$output"
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

icon() {  # icon VGA.css
  local css=$1 swatches=() size vga=() colours=()
  for c in "${VGA[@]}"; do swatches+=("xc:#$c"); done
  im "${swatches[@]}" +append "${PNG_OUT[@]}" "PNG24:$work/vga.png"
  for size in "${ICON_SIZES[@]}"; do
    render "$work/$size.png" --width "$size" --height "$size"
    render "$work/flat-$size.png" --width "$size" --height "$size" --stylesheet "$css"
    reduce "$work/flat-$size.png" "$work/vga-$size.png" -remap "$work/vga.png"
    # 255 colours and the clear pixels' colour fit in one 256-entry palette.
    reduce "$work/$size.png" "$work/256-$size.png" -colors 255
    vga+=("$work/vga-$size.png")
    colours+=("$work/256-$size.png")
  done
  "$icotool" --create --output="$output" --bit-depth=4 "${vga[@]}" --bit-depth=8 "${colours[@]}"
}

case $kind in
  logo) [ $# -eq 3 ] || usage; logo ;;
  icon) [ $# -eq 4 ] || usage; icon "$3" ;;
  *) usage ;;
esac
