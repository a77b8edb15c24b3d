#!/usr/bin/env bash
# Makes the demo's media files once; their output is committed, so nobody needs to run this
# to use the demo (rerunning changes their bytes: then update the sizes and rates in
# demo/README.md). Everything is generated (test sources and tones), so the files carry no
# third-party content. Needs: apt-get install ffmpeg fonts-dejavu-core
#
# Every file is constant-bitrate and 20 s long, so repeating its bytes at size / 20 bytes per
# second plays it in real time (the service's endless /live/ streams). The streams have no
# metadata tags, so the repeated bytes hold nothing but media frames.
set -euo pipefail
cd "$(dirname "$0")"

FONT=/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf
SECONDS_LONG=20
FF=(ffmpeg -hide_banner -loglevel error -y -bitexact)

# A label with the stream time: on a live stream it runs 00:00 to 00:20 and starts again.
label() {
  echo "drawtext=fontfile=$FONT:fontsize=$2:fontcolor=white:box=1:boxcolor=black@0.6:x=(w-tw)/2:y=$3:text='$1 %{pts\\:hms}'"
}

# TV 1: moving test pattern with a 440 Hz tone that beeps once a second. H.264 + AAC in
# MPEG-TS, which a player can join at any byte.
"${FF[@]}" -f lavfi -i "testsrc2=size=480x270:rate=25:duration=$SECONDS_LONG" \
  -f lavfi -i "sine=frequency=440:beep_factor=2:sample_rate=44100:duration=$SECONDS_LONG" \
  -vf "$(label 'VISTREL TV' 22 h-40)" \
  -c:v libx264 -preset medium -profile:v main -pix_fmt yuv420p -g 50 \
  -b:v 240k -minrate 240k -maxrate 240k -bufsize 240k -x264-params nal-hrd=cbr \
  -c:a aac -b:a 64k -ac 1 \
  -f mpegts -muxrate 360k -mpegts_flags +resend_headers tv-pattern.ts

# TV 2: colour bars with a square that crosses the picture, a lower tone. Same container.
"${FF[@]}" -f lavfi -i "smptebars=size=480x270:rate=25:duration=$SECONDS_LONG" \
  -f lavfi -i "sine=frequency=330:beep_factor=3:sample_rate=44100:duration=$SECONDS_LONG" \
  -vf "drawbox=x='mod(t*120,iw)':y='ih/2-25':w=50:h=50:color=white:t=fill,$(label 'BARS' 22 20)" \
  -c:v libx264 -preset medium -profile:v main -pix_fmt yuv420p -g 50 \
  -b:v 200k -minrate 200k -maxrate 200k -bufsize 200k -x264-params nal-hrd=cbr \
  -c:a aac -b:a 48k -ac 1 \
  -f mpegts -muxrate 300k -mpegts_flags +resend_headers tv-bars.ts

# Radio 1: a plucked arpeggio in A minor, two notes a second, each note rising fast and dying
# away before the next (so the note changes do not click). MP3 at a constant 64 kbit/s, no
# tags.
NOTE="st(0,floor(mod(t*2,8)));st(1,mod(t,0.5));\
st(2,if(eq(ld(0),0),0,if(eq(ld(0),1),3,if(eq(ld(0),2),7,if(eq(ld(0),3),12,\
if(eq(ld(0),4),15,if(eq(ld(0),5),12,if(eq(ld(0),6),7,3))))))));\
st(3,220*pow(2,ld(2)/12));\
0.45*(1-exp(-80*ld(1)))*exp(-5*ld(1))*(1-2*ld(1))*(sin(2*PI*ld(3)*t)+0.3*sin(4*PI*ld(3)*t))"
"${FF[@]}" -f lavfi -i "aevalsrc=exprs='$NOTE':sample_rate=44100:duration=$SECONDS_LONG" \
  -c:a libmp3lame -b:a 64k -ac 1 -write_xing 0 -id3v2_version 0 -write_id3v1 0 \
  -f mp3 radio-arpeggio.mp3

# Radio 2: a slow chord of three tones with a gentle tremolo. Ogg Vorbis.
CHORD="0.15*(sin(2*PI*261.63*t)+sin(2*PI*329.63*t)+sin(2*PI*392*t))*(0.75+0.25*sin(2*PI*0.5*t))"
"${FF[@]}" -f lavfi -i "aevalsrc=exprs='$CHORD':sample_rate=44100:duration=$SECONDS_LONG" \
  -c:a libvorbis -b:a 64k -ac 1 -f ogg radio-chord.ogg

# Video clip: a counting test pattern with a tone, VP8 + Vorbis in WebM, a plain file with an
# end (the video category holds clips, not live streams).
"${FF[@]}" -f lavfi -i "testsrc=size=480x270:rate=25:duration=$SECONDS_LONG" \
  -f lavfi -i "sine=frequency=660:beep_factor=4:sample_rate=44100:duration=$SECONDS_LONG" \
  -vf "$(label 'CLIP' 22 h-40)" \
  -c:v libvpx -b:v 150k -deadline good -cpu-used 4 -g 50 \
  -c:a libvorbis -b:a 48k -ac 1 -f webm video-clip.webm

# Not media at all: a player must say it cannot play it.
printf 'This file is text, not a stream.\n' >not-media.txt

ls -l tv-pattern.ts tv-bars.ts radio-arpeggio.mp3 radio-chord.ogg video-clip.webm not-media.txt
