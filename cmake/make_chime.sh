#!/usr/bin/env bash
# Writes the notification chime: two soft bell notes a fourth apart (E5, then A5), each with a quiet
# octave, 16-bit mono PCM at 22050 Hz. Integer arithmetic only, so bash alone makes it.
# Usage: make_chime.sh OUTPUT.wav
set -euo pipefail
out=${1:?output file}

rate=22050
samples=$((rate * 6 / 10))
one=$((1 << 30))           # fixed-point 1.0 of the cosine and the oscillators' coefficient
pi=3373259426              # pi * 2^30
amplitude=$((1 << 20))     # oscillator amplitude
attack=88                  # 4 ms
fade=441                   # the last 20 ms fall to silence
decay=65516                # exp(-1 / (0.15 s * rate)) * 2^16: a 150 ms bell decay

# cos(2 pi f / rate) * 2^30 from its Taylor series; f is given in hundredths of a hertz.
cosine() {
  local x=$((2 * pi * $1 / (rate * 100)))
  local term=$one sum=$one k
  for k in 1 2 3 4 5 6; do
    term=$((-term * x / one * x / one / ((2 * k - 1) * (2 * k))))
    sum=$((sum + term))
  done
  echo "$sum"
}

# Each voice: frequency (1/100 Hz), first sample, gain (peak sample value).
freq=(65925 131850 88000 176000)
start=(0 0 2430 2430)
gain=(7000 1400 7000 1400)
voices=${#freq[@]}
coef=() prev=() cur=() env=()
for ((v = 0; v < voices; v++)); do
  c=$(cosine "${freq[v]}")
  coef[v]=$((2 * c))
  # Started as a cosine: y(-1) = A cos(w), y(0) = A; the attack hides the step.
  prev[v]=$((amplitude * c / one))
  cur[v]=$amplitude
  env[v]=$((1 << 24))
done

le16() { printf -v "$1" '\\x%02x\\x%02x' $(($2 & 255)) $((($2 >> 8) & 255)); }
le32() { printf -v "$1" '\\x%02x\\x%02x\\x%02x\\x%02x' $(($2 & 255)) $((($2 >> 8) & 255)) $((($2 >> 16) & 255)) \
  $((($2 >> 24) & 255)); }

data=""
for ((n = 0; n < samples; n++)); do
  mix=0
  for ((v = 0; v < voices; v++)); do
    age=$((n - start[v]))
    ((age >= 0)) || continue
    level=$((cur[v] * env[v] / (1 << 24) * gain[v]))
    ((age < attack)) && level=$((level * age / attack))
    mix=$((mix + level))
    next=$((coef[v] * cur[v] / one - prev[v]))
    prev[v]=${cur[v]}
    cur[v]=$next
    env[v]=$((env[v] * decay >> 16))
  done
  sample=$((mix / amplitude))
  left=$((samples - n))
  ((left < fade)) && sample=$((sample * left / fade))
  ((sample > 32767)) && sample=32767
  ((sample < -32768)) && sample=-32768
  le16 bytes $((sample & 0xFFFF))
  data+=$bytes
done

size=$((samples * 2))
le32 riffSize $((36 + size))
le32 fmtSize 16
le16 pcm 1
le16 channels 1
le32 sampleRate $rate
le32 byteRate $((rate * 2))
le16 blockAlign 2
le16 bits 16
le32 dataSize $size

mkdir -p "$(dirname "$out")"
tmp="$out.tmp"
printf '%b' "RIFF$riffSize" "WAVE" "fmt $fmtSize$pcm$channels$sampleRate$byteRate$blockAlign$bits" \
  "data$dataSize" "$data" >"$tmp"
mv -f "$tmp" "$out"
