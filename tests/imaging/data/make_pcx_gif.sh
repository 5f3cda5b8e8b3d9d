#!/usr/bin/env bash
# Makes the PCX and GIF fixtures of the picture tests from ImageMagick's built-in "rose:" (70 x 46)
# and "granite:" pictures, with netpbm's ppmtopcx and ImageMagick 6's convert. Run from this folder;
# the files are checked in, so the tests need neither program.
set -euo pipefail
IM=/usr/bin/convert
cd "$(dirname "$0")"

# The sources, as PPM: the rose itself and the rose reduced to 256, 16, 4 and 2 colours (the
# 4-colour one only makes a refused file).
$IM rose: -depth 8 pcx/rose.ppm
for n in 256 16 4 2; do
  $IM rose: +dither -colors $n -depth 8 pcx/rose$n.ppm
done

# Read: one plane of 1 bit (bytes per line 9), 4 bits and 8 bits with the trailing map; three planes.
ppmtopcx -packed pcx/rose2.ppm >pcx/rose2-packed.pcx
ppmtopcx -packed pcx/rose16.ppm >pcx/rose16-packed.pcx
ppmtopcx -8bit pcx/rose256.ppm >pcx/rose256-8bit.pcx
ppmtopcx -24bit pcx/rose.ppm >pcx/rose-24bit.pcx
$IM rose: pcx/rose-im.pcx
# Refused: 1 bit in 4 planes, 2 bits in one plane, 4 planes of 8 bits.
ppmtopcx pcx/rose16.ppm >pcx/rose16-planes.pcx
ppmtopcx -packed pcx/rose4.ppm >pcx/rose4-packed.pcx
rm pcx/rose4.ppm
$IM rose: -alpha on pcx/rose-alpha.pcx

# GIF: plain, interlaced, 4 colours, black and white, and two frames of 50 hundredths each.
$IM rose: gif/rose.gif
$IM rose: -interlace GIF gif/rose-interlaced.gif
$IM rose: -colors 4 gif/rose4.gif
$IM rose: -monochrome gif/rose-mono.gif
$IM -delay 50 rose: granite: gif/anim.gif
