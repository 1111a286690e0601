#!/usr/bin/env python3
# Asks X window $1 to close as a window manager's close button does, with a
# WM_DELETE_WINDOW client message: Xvfb runs no window manager, and xdotool's
# windowclose destroys the window instead of asking it.
import ctypes
import ctypes.util
import sys

C = ctypes
x11 = C.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
x11.XOpenDisplay.restype = C.c_void_p
x11.XInternAtom.restype = C.c_ulong
x11.XInternAtom.argtypes = [C.c_void_p, C.c_char_p, C.c_int]
x11.XSendEvent.argtypes = [C.c_void_p, C.c_ulong, C.c_int, C.c_long, C.c_void_p]
x11.XFlush.argtypes = x11.XCloseDisplay.argtypes = [C.c_void_p]


class ClientMessage(C.Structure):  # XClientMessageEvent, padded to an XEvent
    _fields_ = [("type", C.c_int), ("serial", C.c_ulong), ("send_event", C.c_int),
                ("display", C.c_void_p), ("window", C.c_ulong), ("message_type", C.c_ulong),
                ("format", C.c_int), ("data", C.c_long * 5), ("pad", C.c_long * 12)]


display = x11.XOpenDisplay(None) or sys.exit("close_window.py: cannot open the display")
event = ClientMessage(type=33, window=int(sys.argv[1], 0), format=32,
                      message_type=x11.XInternAtom(display, b"WM_PROTOCOLS", 0))
event.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
x11.XSendEvent(display, event.window, 0, 0, C.byref(event))
x11.XFlush(display)
x11.XCloseDisplay(display)
