"""Prints those of the X selections named on the command line that nobody owns on $DISPLAY.

The system tray and the compositor announce themselves by owning a selection
(_NET_SYSTEM_TRAY_S0, _NET_WM_CM_S0); no command of x11-utils or xdotool reads selection
owners, so libX11 is asked directly. Exit status 0 when every selection has an owner, 1 when
one has none, 2 when the display cannot be opened.
"""
import ctypes
import ctypes.util
import sys

x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XGetSelectionOwner.restype = ctypes.c_ulong
x11.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

display = x11.XOpenDisplay(None)
if not display:
    sys.exit(2)
unowned = [name for name in sys.argv[1:]
           if x11.XGetSelectionOwner(display, x11.XInternAtom(display, name.encode(), 0)) == 0]
x11.XCloseDisplay(display)
print(" ".join(unowned))
sys.exit(1 if unowned else 0)
