"""The X server asked directly through Xlib: whether a window is mapped, fake
button presses, the pointer's image. A round trip takes microseconds, where
starting xdotool takes milliseconds."""
import ctypes
import time


class CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
                ("visual", ctypes.c_void_p), ("root", ctypes.c_ulong), ("c_class", ctypes.c_int),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


class XScreen:
    """One connection to the display of $DISPLAY; closed at the end of a
    with block."""

    def __init__(self):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                                  ctypes.POINTER(XWindowAttributes)]
        self.display = self.x11.XOpenDisplay(None)
        if not self.display:
            raise OSError("cannot open the X display")
        # A window can go between two questions; Xlib's own handler would
        # end the process for that.
        self.ignore_errors = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(
            lambda display, event: 0)
        self.x11.XSetErrorHandler(self.ignore_errors)
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                   ctypes.c_ulong]
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_void_p] * 4
        self.x11.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_void_p]
        self.x11.XFree.argtypes = [ctypes.c_void_p]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.xfixes = ctypes.CDLL("libXfixes.so.3")
        self.xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
        self.xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.x11.XCloseDisplay(self.display)

    def cursor(self):
        """The pointer image the X server shows now, as rows of '.'
        (transparent), '#' (black), 'o' (white) and '?' (other), with its hot
        spot. Read through XFixes: what the user sees, whichever process set it."""
        ptr = self.xfixes.XFixesGetCursorImage(self.display)
        if not ptr:
            raise OSError("XFixes gave no cursor image")
        img = ptr.contents
        rows = []
        for r in range(img.height):
            row = ""
            for c in range(img.width):
                argb = img.pixels[r * img.width + c] & 0xFFFFFFFF
                rgb = argb & 0xFFFFFF
                row += ("." if argb >> 24 == 0 else "#" if rgb == 0 else
                        "o" if rgb == 0xFFFFFF else "?")
            rows.append(row)
        hot = (img.xhot, img.yhot)
        self.x11.XFree(ptr)
        return rows, hot

    def button(self, press):
        """Presses or releases the left button where the pointer is; returns
        the moment the event left for the server."""
        self.xtst.XTestFakeButtonEvent(self.display, 1, 1 if press else 0, 0)
        self.x11.XFlush(self.display)
        return time.monotonic()

    def double_click(self):
        """Returns the moment of the second press, the one that makes it a
        double-click."""
        self.button(True)
        time.sleep(0.02)
        self.button(False)
        time.sleep(0.08)
        t0 = self.button(True)
        time.sleep(0.02)
        self.button(False)
        return t0

    def find(self, name):
        """The top-level X window with that name, or None: asked of the X
        server directly, a few round trips."""
        x11, display = self.x11, self.display
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        if not x11.XQueryTree(display, x11.XDefaultRootWindow(display), ctypes.byref(root),
                              ctypes.byref(parent), ctypes.byref(children), ctypes.byref(count)):
            return None
        found = None
        for i in range(count.value):
            text = ctypes.c_void_p()
            if x11.XFetchName(display, children[i], ctypes.byref(text)) and text.value:
                if ctypes.string_at(text.value) == name.encode():
                    found = children[i]
                x11.XFree(text)
            if found:
                break
        if children:
            x11.XFree(children)
        return found

    def mapped(self, xid):
        """True or False; None when there is no such window (any more)."""
        attrs = XWindowAttributes()
        if not self.x11.XGetWindowAttributes(self.display, xid, ctypes.byref(attrs)):
            return None
        return attrs.map_state == 2  # IsViewable
