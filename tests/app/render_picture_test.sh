#!/bin/sh
# triview as a process, with no display: help and usage statuses, --render's
# pictures against the goldens, its errors (status 1, the report, the output
# as it was), every kind of output it may be given, a signal while a new
# picture is written, and the window's own refusal to start without a display.
# usage: render_picture_test.sh TRIVIEW GOLDEN_FOLDER EXAMPLES_FOLDER INTERRUPT_PRELOAD
set -eu
viewer=$(realpath "$1")
golden=$(realpath "$2")
examples=$(realpath "$3")
interrupt=$(realpath "$4")
picture_check=$(realpath "$(dirname "$0")/../support/picture_check.py")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "render: $*" >&2; exit 1; }
unset DISPLAY WAYLAND_DISPLAY
run() { # run ARGUMENTS...: the viewer's status in status, its output in out and err
  status=0
  "$viewer" "$@" >out 2>err || status=$?
}
expect() { # expect STATUS PATTERN COMMAND...: its status, and what it says matches
  want=$1 pattern=$2
  shift 2
  status=0
  "$@" >out 2>err || status=$?
  [ "$status" -eq "$want" ] && cat out err | grep -q -- "$pattern" || fail "$*: status $status, $(cat err)"
}
is_png() { [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ]; }
same_picture() { /usr/bin/python3 "$picture_check" same "$1" "$2"; } # colour and transparency alike

expect 0 '--render OUT' "$viewer" --help
expect 2 '^usage: triview' "$viewer" --render x.png --distance 16
[ ! -e x.png ] || fail "a usage error wrote a picture"

# The window's start pose, and a model turned as the buttons turn it, are
# the frame test's goldens; the thumbnailer's framing, on a transparent
# background, has its own.
run --render demo.png && [ "$status" -eq 0 ] || fail "--render: status $status, $(cat err)"
same_picture demo.png "$golden/demo-start.png" || fail "the demonstration model differs from its golden"
run --render cube.png --turn x:0.6 --distance 6 -- "$examples/cube.tri" && same_picture cube.png "$golden/cube.png" ||
  fail "the turned cube differs from its golden: status $status, $(cat err)"
run --render thumb.png --size 128x128 --fit --transparent --renderer gl && [ "$status" -eq 0 ] &&
  same_picture thumb.png "$golden/demo-thumbnail.png" || fail "the thumbnail differs from its golden"

# A thumbnail is drawn in software: OpenGL's picture within the renderers'
# tolerance, for the golden and every example; the thumbnailer's is the
# same picture, byte for byte.
thumbnailer=$(dirname "$viewer")/triview-thumbnailer
alike() { /usr/bin/python3 "$picture_check" alike "$1" "$2"; }
run --render soft.png --size 128x128 --fit --transparent && alike soft.png "$golden/demo-thumbnail.png" ||
  fail "the software thumbnail is not OpenGL's: status $status, $(cat err)"
for model in "$examples"/*.tri; do
  "$viewer" --render gl.png --size 256x256 --fit --transparent --renderer gl "$model" &&
    "$viewer" --render soft.png --size 256x256 --fit --transparent "$model" && alike soft.png gl.png &&
    "$thumbnailer" -s 256 "$model" entry.png && cmp -s soft.png entry.png ||
    fail "$(basename "$model"): the software picture is not OpenGL's, or not the thumbnailer's"
done
"$thumbnailer" -s 48x32 -- "$examples/cube.tri" wide.png &&
  /usr/bin/python3 -c "import sys; from PIL import Image; sys.exit(Image.open('wide.png').size != (48, 32))" ||
  fail "the thumbnailer's WxH is not the picture's size"
while IFS='|' read -r arguments why; do
  # shellcheck disable=SC2086 # the arguments are split on purpose
  expect 2 "^triview-thumbnailer: $why" "$thumbnailer" $arguments
  grep -q '^usage: triview-thumbnailer' err || fail "$arguments: no usage line"
done <<'CASES'
-s 0 a b|-s takes N or WxH, 1 to 16384 a side
-s 16385 a b|-s takes N or WxH
-s 8x a b|-s takes N or WxH
-s 8 a|INPUT and OUTPUT are needed
-s 8 a b c|one INPUT and one OUTPUT, nothing more
-x -s 8 a b|unknown option -x
a b|-s SIZE is needed
a b -s|-s needs a value
-s 8 -t 0 a b|-t takes 1 to 3600 seconds
CASES

# A model made to be slow to draw (10922 triangles across the view, each
# nearer in the middle and farther at its nearest corner than the last) is
# given up at the time limit, and nothing is written.
/usr/bin/python3 - >crossing.tri <<'MODEL'
import math
d, u = (-80 / 87.749, -30 / 87.749, 20 / 87.749), (30 / 85.44, -80 / 85.44, 0)
v = (d[1] * u[2] - d[2] * u[1], d[2] * u[0] - d[0] * u[2], d[0] * u[1] - d[1] * u[0])
for i in range(10922):
    print("Triangle\n%d,90,200,0,0,0" % (i % 256))
    for k in range(3):
        across, up = 640 * math.cos(2 * math.pi * k / 3 + 0.3), 640 * math.sin(2 * math.pi * k / 3 + 0.3)
        depth = -i * 100 / 10922 + 0.5 * (1 - i / 10922) * across
        print(",".join("%.9g" % (o + d[m] * depth + across * u[m] + up * v[m]) for m, o in enumerate((160, 0, 0))) + ",0,0,0")
MODEL
started=$(date +%s%N)
expect 1 '圖片沒能在 1 秒的時間上限內畫完' timeout 10 "$thumbnailer" -s 16384 -t 1 crossing.tri slow.png
[ ! -e slow.png ] && [ $((($(date +%s%N) - started) / 1000000)) -lt 2500 ] ||
  fail "the time limit did not hold"

# Triangles reaching far beyond the view from a corner in it, drawn with no
# fit: OpenGL's picture. One whose corners differ by more than float holds,
# where OpenGL's is not the triangle: the picture exact rational arithmetic
# on its numbers gives.
for far in 1e11 1e30; do
  printf 'Triangle\n255,0,0,0,0,0\n0,0,0,0,0,0\n%s,0,0,0,0,0\n0,%s,0,0,0,0
Triangle\n0,255,0,0,0,0\n0,0,0,0,0,0\n0,0,%s,0,0,0\n%s,0,0,0,0,0\n' "$far" "$far" "$far" "$far" >far.tri
  "$viewer" --render gl.png --size 96x96 --transparent --renderer gl far.tri &&
    "$viewer" --render soft.png --size 96x96 --transparent --renderer software far.tri &&
    alike soft.png gl.png || fail "triangles reaching $far: the software picture is not OpenGL's"
done
printf 'Triangle\n255,0,0,0,0,0\n-0.000404684455,-7.57590897e+27,-0.0199777614,0,0,0
-0.000505500939,3.99425652e+35,8.11332367e+21,0,0,0\n-0.000652852177,2828.99097,293.514526,0,0,0' >beyond.tri
run --render beyond.png --size 64x64 --transparent --renderer software beyond.tri &&
  same_picture beyond.png "$golden/beyond-float.png" || fail "a triangle beyond float: not its exact picture"

# A model below float's normal range fills its thumbnail too.
printf 'Triangle\n255,0,0,0,0,0\n0,0,0,0,0,0\n1e-40,0,0,0,0,0\n0,1e-40,0,0,0,0\n' >denormal.tri
run --render denormal.png --size 64x64 --fit --transparent denormal.tri &&
  /usr/bin/python3 "$picture_check" fills denormal.png 0.8 || fail "a model of denormal size is not in its picture"

# A field that runs into a 64 GiB hole fails at once.
printf 'Triangle\n255,0,0,0,0,0\n1,2,3' >holed.tri && truncate -s 64G holed.tri
expect 1 "'13'" timeout 2 "$viewer" --render holed.png holed.tri

printf 'Triangle\r\n1,2,x\r\n' >-x.tri
echo kept >kept.png
run --render kept.png -- -x.tri
[ "$status" -eq 1 ] && grep -q "'13'" err && grep -q '檔案: -x.tri' err && grep -q '第 2 行' err &&
  [ "$(cat kept.png)" = kept ] || fail "a bad model: status $status, $(cat err)"

# Every kind of output: ARGUMENTS, then the status and a check that must hold after.
cp "$examples/cube.tri" model.tri
model_bytes=$(cksum <model.tri)
model_kept() { [ "$(cksum <model.tri)" = "$model_bytes" ]; }
long=$(printf '%0251d' 0).png
mkfifo fifo.png unread.png
mkdir folder.png
touch target.png && ln -s target.png link.png
ln -s made.png dangling.png
ln model.tri hardlink.png && ln -s model.tri symlink.png
# A device of our own, never the system's /dev/null; only root may make one.
mknod null c 1 3 2>/dev/null && device=yes || device=no
raw_model=$(printf 'm\376') raw_out=$(printf 'm\377')
cp model.tri "$raw_model"
while IFS='|' read -r arguments expected check; do
  eval "set -- $arguments"
  case $arguments in *fifo.png*) timeout 20 cat fifo.png >from-fifo & ;; esac
  run "$@"
  wait
  [ "$status" -eq "$expected" ] || fail "$arguments: status $status, not $expected: $(cat err)"
  eval "$check" || fail "$arguments: $check does not hold"
  ! ls -A | grep -q '^\.triview-' || fail "$arguments: a temporary file was left"
done <<'CASES'
--render new.png model.tri|0|is_png new.png
--render new.jpg model.tri|0|[ "$(head -c 2 new.jpg | od -An -tx1)" = " ff d8" ]
--render .gnome_desktop_thumbnail.Ab3dEf --format png model.tri|0|is_png .gnome_desktop_thumbnail.Ab3dEf
--render - model.tri|0|is_png out
--render fifo.png model.tri|0|[ -p fifo.png ] && is_png from-fifo
--render unread.png model.tri|1|grep -q "'75'" err && grep -q '沒有程式在讀取這個 FIFO' err
--render null --format png model.tri|0|[ -c null ] || [ $device = no ]
--render link.png model.tri|0|[ -L link.png ] && is_png target.png
--render dangling.png model.tri|0|[ -L dangling.png ] && is_png made.png
--render "$long" model.tri|0|is_png "$long"
--render model.tri --format png model.tri|2|model_kept && grep -q 'would overwrite the model' err
--render hardlink.png model.tri|2|model_kept
--render symlink.png model.tri|2|model_kept && [ -L symlink.png ]
--render "$raw_out" "$raw_model"|0|is_png "$raw_out" && cmp -s model.tri "$raw_model"
--render no/folder.png model.tri|1|grep -q "'76'" err && [ ! -e no ]
--render folder.png model.tri|1|grep -q "'75'" err && [ -d folder.png ]
--render picture.xyz model.tri|2|grep -q 'cannot write xyz pictures; the formats are .*png' err
CASES

# A file a thumbnailer client made beforehand and holds open (as tumbler
# does) gets the picture in place, nothing more, and the client reads it
# through its own descriptor afterwards.
head -c 100000 /dev/zero >held.png
exec 3<held.png
run --render held.png model.tri
[ "$status" -eq 0 ] && cmp -s /dev/fd/3 new.png || fail "a file held open does not get the picture"
exec 3<&-

expect 2 'standard output is closed' sh -c "exec '$viewer' --render - model.tri >&-"
expect 2 'not for a terminal' script -qec "'$viewer' --render - model.tri" /dev/null
expect 2 'not for a terminal' script -qec "'$viewer' --render /dev/tty model.tri" /dev/null

# Standard output on a FIFO or a socket whose reader takes nothing is given
# up after 10 s (the two at once).
mkfifo stalled
sleep 30 <stalled &
reader=$!
/usr/bin/python3 -c "import socket, subprocess, sys; a, b = socket.socketpair()
p = subprocess.run(sys.argv[1:], stdout=a, stderr=subprocess.PIPE, timeout=30); sys.stderr.buffer.write(p.stderr)
sys.exit(p.returncode)" "$viewer" --render - --format bmp model.tri 2>socket.err &
socket=$!
expect 1 '讀取端 10 秒沒有取走資料' sh -c "exec '$viewer' --render - --format bmp model.tri >stalled"
kill $reader
status=0
wait $socket || status=$?
[ "$status" -eq 1 ] && grep -q '讀取端 10 秒沒有取走資料' socket.err || fail "a socket not read: status $status"

# Past the file size limit (ulimit -f): the report says so, an existing
# picture is kept whole, and a new one leaves nothing.
head -c 40000 /dev/urandom >limited.png && cp limited.png limited-before.png
expect 1 'ulimit -f' sh -c "ulimit -f 16 && exec '$viewer' --render limited.png --format bmp model.tri"
cmp -s limited.png limited-before.png || fail "past the size limit: the old picture was cut"
expect 1 'ulimit -f' sh -c "ulimit -f 16 && exec '$thumbnailer' -s 1024 model.tri limited-new.png"
[ ! -e limited-new.png ] && ! ls -A | grep -q '^\.triview-' || fail "past the size limit: a file was left"

# A full disk: the report says so, nothing new is left on it, and a picture
# that would not fit in place of the old one keeps the old one whole.
if [ "$(id -u)" -eq 0 ]; then
  mkdir small
  status=0
  unshare --mount sh -c "mount -t tmpfs -o size=32k none small && '$viewer' --render small/x.png \
    --size 1000x1000 '$examples/terrain.tri' 2>err && exit 3
    head -c 16000 /dev/urandom >small/old.png && cp small/old.png old.png
    '$thumbnailer' -s 1000 '$examples/terrain.tri' small/old.png 2>>err && exit 3
    cmp -s small/old.png old.png && ls -A small >left" || status=$?
  [ "$status" -eq 0 ] && [ "$(grep -c "'61'" err)" -eq 2 ] && [ "$(cat left)" = old.png ] ||
    fail "a full disk: status $status, $(cat err)"
fi

# A signal while a new picture is written: the program ends by it, and
# neither picture nor temporary file stays; while one is rewritten in place,
# once the whole of it is. Of two writers of one picture, the second waits.
preloaded() { ASAN_OPTIONS=verify_asan_link_order=0 LD_PRELOAD=$interrupt "$viewer" "$@"; }
status=0
preloaded --render cut.png model.tri 2>err || status=$?
[ "$status" -eq 143 ] && [ ! -e cut.png ] && ! ls -A | grep -q '^\.triview-' ||
  fail "interrupted: status $status, $(ls -A | tr '\n' ' ')"
head -c 3000000 /dev/zero >interrupted-old.png
status=0
preloaded --render interrupted-old.png model.tri 2>err || status=$?
[ "$status" -eq 143 ] && cmp -s interrupted-old.png new.png ||
  fail "interrupted in place: status $status, $(wc -c <interrupted-old.png) bytes"
: >slow-shared.png
preloaded --render slow-shared.png --size 600x600 model.tri &
"$viewer" --render small.png --size 16x16 model.tri
until [ -s slow-shared.png ]; do sleep 0.05; done # the first has written, and pauses
"$viewer" --render slow-shared.png --size 16x16 model.tri
wait
cmp -s slow-shared.png small.png || fail "two writers: $(wc -c <slow-shared.png) bytes, not the last picture"

# No display Qt could use, however it is asked for: one line, status 1, no
# abort. An X server that takes the connection and never answers is one too.
silent_x=$((7000 + $$ % 1000)) # a display number no Xvfb of the tests takes
python3 -c "import socket, sys, time; s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1]); s.listen()
s.settimeout(30); c = s.accept(); time.sleep(10)" "/tmp/.X11-unix/X$silent_x" >/dev/null 2>&1 &
trap 'rm -rf "$work" "/tmp/.X11-unix/X$silent_x"' EXIT
until [ -S "/tmp/.X11-unix/X$silent_x" ]; do sleep 0.1; done
while IFS='|' read -r settings why; do
  # shellcheck disable=SC2086 # the words are the settings
  expect 1 "^triview needs a display; to write a picture without one, use --render ($why)" \
    env $settings "$viewer" model.tri
done <<CASES
DISPLAY=|DISPLAY is not set
DISPLAY=:65535|the X display :65535 cannot be reached
QT_QPA_PLATFORM=xcb|DISPLAY is not set
QT_QPA_PLATFORM=bogus|Qt has no platform plugin "bogus"
QT_QPA_PLATFORM=bogus:fontconfig=1|Qt has no platform plugin "bogus"
WAYLAND_DISPLAY=wayland-stale DISPLAY=:65535 XDG_RUNTIME_DIR=$work|.*the X display :65535 cannot be reached
DISPLAY=:$silent_x|the X display :$silent_x did not answer in 5 s
CASES
expect 1 "EGL gives no OpenGL 3.3 here, and the window system's needs a display" \
  env QT_QPA_PLATFORM=xcb __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent "$viewer" --render x.png
expect 1 'cannot write to standard output' sh -c "exec '$viewer' --help >/dev/full"
