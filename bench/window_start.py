"""How soon the window's start shows, for the 10922-triangle benchmark model:
from the start to the count message mapped, from its 確定 to the window
mapped, and the window's resident memory 2 s later. The median of RUNS runs,
for each triview named, side by side (a baseline build beside this one).
Needs an X display that outlives its clients, and python3-xlib:
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" python3 bench/window_start.py MODEL RUNS TRIVIEW..."""
import statistics
import subprocess
import sys
import time

from Xlib import X, display

model, runs, programs = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
screen = display.Display()
root = screen.screen().root
root.change_attributes(event_mask=X.SubstructureNotifyMask)
screen.sync()


def mapped(title):
    """Waits for a top-level window titled so to be mapped; gives it and the time."""
    while True:
        event = screen.next_event()
        if event.type == X.MapNotify:
            name = event.window.get_full_text_property(screen.intern_atom("_NET_WM_NAME"))
            if name == title:
                return event.window, time.monotonic()


def once(program):
    started = time.monotonic()
    viewer = subprocess.Popen([program, model], stderr=subprocess.DEVNULL)
    message, counted = mapped("三角形數")
    pressed = time.monotonic()
    subprocess.run(["xdotool", "windowfocus", "--sync", str(message.id), "key", "Return"], check=True)
    window, shown = mapped("天才Tovan3D模型秀圖")
    time.sleep(2)
    with open(f"/proc/{viewer.pid}/status") as status:
        resident = next(int(line.split()[1]) for line in status if line.startswith("VmRSS:")) / 1024
    viewer.kill()
    viewer.wait()
    return counted - started, shown - pressed, resident


print(f"{'program':40} {'to the count':>12} {'確定 to window':>14} {'resident':>10}")
for program in programs:
    results = [once(program) for _ in range(runs)]
    count, window, resident = (statistics.median(column) for column in zip(*results))
    print(f"{program:40} {count * 1000:9.0f} ms {window * 1000:11.0f} ms {resident:7.0f} MiB")
