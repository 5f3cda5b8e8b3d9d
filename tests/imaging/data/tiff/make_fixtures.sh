#!/usr/bin/env bash
# Makes the TIFF fixtures of the picture tests and their PPM / PGM / PBM references, with
# ImageMagick 6 (/usr/bin/convert, package imagemagick) from its built-in pictures rose: (70 x 46)
# and granite: (128 x 128), and with libtiff's tools (package libtiff-tools). Run it in this folder:
#   bash make_fixtures.sh
set -euo pipefail
cd "$(dirname "$0")"
IM=/usr/bin/convert
# No dates or other changing text in the files.
strip=(-strip -define tiff:software=)

# Colour: references first.
$IM rose: -strip rose.ppm
$IM rose: "${strip[@]}" -compress None rose-none.tif
$IM rose: "${strip[@]}" -compress RLE rose-packbits.tif
$IM rose: "${strip[@]}" -compress None -interlace plane rose-planar.tif
$IM rose: "${strip[@]}" -compress None -define tiff:endian=msb rose-msb.tif
$IM rose: "${strip[@]}" -compress None -define tiff:rows-per-strip=8 rose-rows8.tif
$IM rose: "${strip[@]}" -compress RLE -define tiff:rows-per-strip=23 rose-rows23.tif

# Palettes: the references are ImageMagick's own reading of the files.
$IM rose: "${strip[@]}" -compress None -type palette rose-palette.tif
$IM rose-palette.tif -strip -depth 8 rose-palette.ppm
$IM rose: "${strip[@]}" -compress None -colors 16 -type palette rose-palette16.tif
$IM rose-palette16.tif -strip -depth 8 rose-palette16.ppm

# Greys.
$IM granite: "${strip[@]}" -compress None -type grayscale granite-grey.tif
$IM granite-grey.tif -strip -depth 8 granite-grey.pgm
$IM granite: "${strip[@]}" -compress None -type grayscale -depth 16 granite-grey16.tif
$IM granite: "${strip[@]}" -compress None -type grayscale -depth 4 granite-grey4.tif
$IM granite-grey4.tif -strip -depth 8 granite-grey4.pgm
tiff2bw rose-none.tif rose-tiff2bw.tif
$IM rose-tiff2bw.tif -strip -depth 8 rose-tiff2bw.pgm

# 1 bit: ImageMagick's own codings, then libtiff's on the uncompressed file.
$IM granite: -strip -monochrome granite-mono.pbm
$IM granite: "${strip[@]}" -monochrome -depth 1 -compress None granite-mono.tif
$IM granite: "${strip[@]}" -monochrome -compress Fax granite-fax.tif
$IM granite: "${strip[@]}" -monochrome -compress Group4 granite-g4.tif
$IM granite: "${strip[@]}" -monochrome -compress Group4 -define quantum:polarity=min-is-black granite-g4-black.tif
$IM granite: "${strip[@]}" -monochrome -compress Group4 -define tiff:fill-order=lsb granite-g4-lsb.tif
tiffcp -c g3:2d granite-mono.tif granite-tiffcp-g3-2d.tif
tiffcp -c g3:2d:fill granite-mono.tif granite-tiffcp-g3-2d-fill.tif
tiffcp -c g4 granite-mono.tif granite-tiffcp-g4.tif
tiffcp -f lsb2msb -c g3 granite-mono.tif granite-tiffcp-g3-lsb.tif

# Several pictures in one file.
$IM rose: granite: rose: "${strip[@]}" -compress None multi.tif
$IM granite: -strip granite.ppm

# Files the station refuses.
$IM rose: "${strip[@]}" -compress LZW refused-lzw.tif
$IM rose: "${strip[@]}" -compress Zip refused-zip.tif
$IM rose: "${strip[@]}" -compress JPEG refused-jpeg.tif
$IM rose: "${strip[@]}" -compress None -alpha on refused-alpha.tif
$IM rose: "${strip[@]}" -compress None -define tiff:tile-geometry=32x32 refused-tiles.tif
$IM rose: "${strip[@]}" -compress None -colors 2 -type palette refused-palette1.tif
