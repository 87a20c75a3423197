#!/usr/bin/env bash
# Makes the sample songs of this folder: short MP3 files of plain tones and
# the LRC lyrics that go with them. The lyrics are our own verses, stored in
# GBK with CR LF line ends as most LRC files are, one of them in UTF-8 with a
# byte-order mark. Needs ffmpeg (with libmp3lame) and iconv.
#   examples/make-samples.sh
set -euo pipefail
cd "$(dirname "$0")"

# tone <out.mp3> <seconds> <hz>... : one note per second, mono, 32 kbit/s.
# Extra ffmpeg arguments (tags) may follow after "--".
tone() {
  local out=$1 seconds=$2; shift 2
  local notes=() extra=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do notes+=("$1"); shift; done
  [ $# -gt 0 ] && { shift; extra=("$@"); }
  [ ${#extra[@]} -gt 0 ] || extra=(-id3v2_version 0)
  # Frequency as a step function of time: note k plays during second k.
  local freq=${notes[-1]} k
  for ((k = ${#notes[@]} - 2; k >= 0; k--)); do
    freq="if(lt(t\\,$((k + 1)))\\,${notes[k]}\\,$freq)"
  done
  ffmpeg -loglevel error -y -f lavfi \
    -i "aevalsrc=0.3*sin(2*PI*t*$freq):s=22050:d=$seconds" \
    -ac 1 -c:a libmp3lame -b:a 32k -fflags +bitexact -flags:a +bitexact \
    -write_id3v1 0 "${extra[@]}" "$out"
}

# gbk_field <text> <width>: the text in GBK, cut or padded with zero bytes.
gbk_field() {
  local bytes
  bytes=$(printf '%s' "$1" | iconv -f UTF-8 -t GBK | head -c "$2" | od -An -v -tx1 | tr -d ' \n')
  printf '%s' "$bytes" | sed 's/../\\x&/g' | xargs -0 printf '%b'
  head -c $(($2 - ${#bytes} / 2)) /dev/zero
}

# id3v1 <file> <title> <artist> <album> <year>: appends an ID3v1 record
# (comment empty, genre 12).
id3v1() {
  {
    printf 'TAG'
    gbk_field "$2" 30
    gbk_field "$3" 30
    gbk_field "$4" 30
    gbk_field "$5" 4
    head -c 30 /dev/zero
    printf '\x0c'
  } >>"$1"
}

# lrc_gbk <file>: standard input (UTF-8, LF) to GBK with CR LF.
lrc_gbk() { sed 's/$/\r/' | iconv -f UTF-8 -t GBK >"$1"; }

# An English name, an ID3v1 record already there.
tone "Morning Tea.mp3" 4 392 440 494 523
id3v1 "Morning Tea.mp3" "Morning Tea" "清晨乐队" "Versemill 样曲" "2024"
lrc_gbk "Morning Tea.lrc" <<'EOF'
[ti:Morning Tea]
[ar:清晨乐队]
[al:Versemill 样曲]
[00:00.00]清晨的茶还冒着热气
[00:01.00]窗外的鸟在说悄悄话
[00:02.00]把昨天的烦恼轻轻放下
[00:03.00]新的一天慢慢醒来
EOF

# A Chinese name, no tags at all.
tone "月光小路.mp3" 4 330 294 262 294
lrc_gbk "月光小路.lrc" <<'EOF'
[ti:月光小路]
[00:00.20]月光铺在回家的小路
[00:01.20]影子陪我一步又一步
[00:02.20][00:03.50]远处的灯火还亮着
[00:03.00]有人在门口等我
EOF

# An ID3v2.3 tag with title and artist already there.
tone "晚风.mp3" 4 262 330 392 330 -- -id3v2_version 3 -metadata title=晚风 -metadata artist=清晨乐队
lrc_gbk "晚风.lrc" <<'EOF'
[ti:晚风]
[ar:清晨乐队]
[00:00.50]晚风吹过稻田的边上
[00:01.50]蝉声慢慢地退场
[00:02.50]我把心事写成歌
[00:03.20]唱给星星听
EOF

# In a sub-folder, the lyric in UTF-8 with a byte-order mark.
mkdir -p 第二辑
tone "第二辑/春风.mp3" 3 523 587 659
{
  printf '\xEF\xBB\xBF'
  sed 's/$/\r/' <<'EOF'
[ti:春风]
[00:00.00]春风敲开了每一扇窗
[00:01.00]柳枝在河边梳着长发
[00:02.00]孩子们追着风筝奔跑
[00:02.60]笑声飞得比云还高
EOF
} >"第二辑/春风.lrc"

ls -l -- *.mp3 *.lrc 第二辑/*
