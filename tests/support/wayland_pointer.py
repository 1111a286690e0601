"""Drives a wlroots compositor's pointer as xdotool drives an X server's: a
virtual pointer (zwlr_virtual_pointer_v1) spoken on the Wayland socket itself.
  wayland_pointer.py WxH [mousemove X Y | mousedown 1 | mouseup 1 | click 4|5]...
X and Y in pixels of a layout of W x H; 4 and 5 turn the wheel a notch away and toward."""
import os
import socket
import struct
import sys
import time

sock = socket.socket(socket.AF_UNIX)
sock.connect(os.path.join(os.environ.get("XDG_RUNTIME_DIR", "/"), os.environ["WAYLAND_DISPLAY"]))


def send(target, opcode, *words):
    body = b"".join(w if isinstance(w, bytes) else struct.pack("=i", w) for w in words)
    sock.sendall(struct.pack("=II", target, (8 + len(body)) << 16 | opcode) + body)


def synced(callback):
    """What the compositor says until a sync is done: every request before it handled."""
    send(1, 0, callback)  # wl_display.sync
    data = b""
    while struct.pack("=II", callback, 12 << 16) not in data:  # its done event
        data += sock.recv(4096) or sys.exit("wayland_pointer: the compositor hung up")
    return data


# Objects: 2 the registry, 3 and 6 syncs, 4 the manager, 5 the pointer; a
# client's new ids must come one after the other.
send(1, 1, 2)  # wl_display.get_registry
interface = b"zwlr_virtual_pointer_manager_v1\0"  # 32 bytes: no padding
globals_ = synced(3)
at = globals_.find(interface)  # in a global event: name, the interface's length, the interface
at > 0 or sys.exit("wayland_pointer: the compositor has no virtual pointers")
send(2, 0, struct.unpack_from("=I", globals_, at - 8)[0], len(interface), interface, 1, 4)  # bind
send(4, 0, 0, 5)  # create_virtual_pointer on the default seat
synced(6)
time.sleep(0.3)  # for clients to take the pointer their seat now has
MOTION_ABSOLUTE, BUTTON, FRAME, AXIS_SOURCE, AXIS_DISCRETE, BTN_LEFT = 1, 2, 4, 5, 7, 0x110
extent, args = [int(n) for n in sys.argv[1].split("x")], sys.argv[2:]
while args:
    verb, value, now = args.pop(0), int(args.pop(0)), int(time.monotonic() * 1000) & 0x7FFFFFFF
    if verb == "mousemove":
        send(5, MOTION_ABSOLUTE, now, value, int(args.pop(0)), *extent)
    elif verb in ("mousedown", "mouseup") and value == 1:
        send(5, BUTTON, now, BTN_LEFT, int(verb == "mousedown"))
    elif verb == "click" and value in (4, 5):
        send(5, AXIS_SOURCE, 0)  # a wheel: 15 degrees, one notch
        send(5, AXIS_DISCRETE, now, 0, (value * 2 - 9) * 15 * 256, value * 2 - 9)
    else:
        sys.exit(f"wayland_pointer: cannot {verb} {value}")
    send(5, FRAME)
    time.sleep(0.02)
synced(7)
