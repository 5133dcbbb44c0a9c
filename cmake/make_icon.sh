#!/usr/bin/env bash
# Writes the program's icon: a blue disc with a white tick, at 16, 32 and 48 pixels, 32-bit with
# alpha. Integer arithmetic only, so bash alone makes it.
# Usage: make_icon.sh OUTPUT.ico
set -euo pipefail
out=${1:?output file}
sizes=(16 32 48)

le16() { printf -v "$1" '\\x%02x\\x%02x' $(($2 & 255)) $((($2 >> 8) & 255)); }
le32() { printf -v "$1" '\\x%02x\\x%02x\\x%02x\\x%02x' $(($2 & 255)) $((($2 >> 8) & 255)) $((($2 >> 16) & 255)) \
  $((($2 >> 24) & 255)); }

# Squared distance, in 1/256 pixel units squared, from (px, py) to the segment (ax, ay)-(bx, by);
# all coordinates in 1/16 pixel.
segment_distance() {
  local px=$1 py=$2 ax=$3 ay=$4 bx=$5 by=$6
  local dx=$((bx - ax)) dy=$((by - ay)) t
  local length=$((dx * dx + dy * dy))
  t=$((((px - ax) * dx + (py - ay) * dy) * 1024 / length))
  ((t < 0)) && t=0
  ((t > 1024)) && t=1024
  local cx=$((ax + dx * t / 1024 - px)) cy=$((ay + dy * t / 1024 - py))
  echo $((cx * cx + cy * cy))
}

# One image: BITMAPINFOHEADER, bottom-up BGRA rows, then the all-zero AND mask.
image() {
  local s=$1 x y row pixels="" header word
  local centre=$((s * 8)) radius=$((s * 8 - 8))
  # The tick, in 1/16 pixel: from the left middle down to the lower centre, then up to the right.
  local ax=$((s * 4)) ay=$((s * 8)) bx=$((s * 7)) by=$((s * 11)) cx=$((s * 12)) cy=$((s * 5))
  local thick=$(((s * 16 / 10) * (s * 16 / 10)))
  for ((y = s - 1; y >= 0; y--)); do
    row=""
    for ((x = 0; x < s; x++)); do
      local px=$((x * 16 + 8)) py=$((y * 16 + 8))
      local ddx=$((px - centre)) ddy=$((py - centre))
      local d=$((ddx * ddx + ddy * ddy)) r2=$((radius * radius))
      if ((d > r2)); then
        row+='\x00\x00\x00\x00'
        continue
      fi
      local d1 d2
      d1=$(segment_distance $px $py $ax $ay $bx $by)
      d2=$(segment_distance $px $py $bx $by $cx $cy)
      if ((d1 < thick || d2 < thick)); then
        row+='\xff\xff\xff\xff'
      else
        # Lighter towards the top: from #1F4E79 at the bottom to #3A7BC8 at the top.
        local b=$((0x79 + (0xc8 - 0x79) * (s - y) / s)) g=$((0x4e + (0x7b - 0x4e) * (s - y) / s))
        local r=$((0x1f + (0x3a - 0x1f) * (s - y) / s))
        printf -v word '\\x%02x\\x%02x\\x%02x\\xff' $b $g $r
        row+=$word
      fi
    done
    pixels+=$row
  done
  local mask_row=$((((s + 31) / 32) * 4)) mask=""
  for ((y = 0; y < s * mask_row; y++)); do mask+='\x00'; done
  local a b c d e
  le32 a 40; le32 b "$s"; le32 c $((s * 2)); le16 d 1; le16 e 32
  header="$a$b$c$d$e"
  le32 a 0; le32 b $((s * s * 4 + s * mask_row))
  header+="$a$b"'\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'
  printf '%s' "$header$pixels$mask"
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
directory=""
le16 a 0; le16 b 1; le16 c ${#sizes[@]}
directory="$a$b$c"
offset=$((6 + 16 * ${#sizes[@]}))
for s in "${sizes[@]}"; do
  printf "$(image "$s")" >"$tmp/$s.bmp"
  bytes=$(stat -c %s "$tmp/$s.bmp")
  printf -v w '\\x%02x\\x%02x\\x00\\x00' $((s & 255)) $((s & 255))
  le16 p 1; le16 q 32; le32 r "$bytes"; le32 o "$offset"
  directory+="$w$p$q$r$o"
  offset=$((offset + bytes))
done
{
  printf "$directory"
  for s in "${sizes[@]}"; do cat "$tmp/$s.bmp"; done
} >"$out.tmp"
mv "$out.tmp" "$out"
