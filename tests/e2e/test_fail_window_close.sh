#!/usr/bin/env bash
# The window's close request (WM_DELETE_WINDOW, what a window manager sends
# for the close button): demo32 ignores it and runs on until Escape; demo8
# ends after the current frame with status 0 and its closing line last.
. "$(dirname "$0")/lib.sh"
command -v python3 >/dev/null 2>&1 || { echo "SKIP: python3 missing"; exit 77; }
start_xvfb
enter_workdir

# There is no window manager under Xvfb, so the request is sent as one would:
# a ClientMessage to the window, through libX11 directly.
cat >close_window.py <<'PY'
import ctypes, sys
from ctypes import POINTER, c_char_p, c_int, c_long, c_ulong, c_void_p
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = c_void_p
x.XOpenDisplay.argtypes = [c_char_p]
x.XInternAtom.restype = c_ulong
x.XInternAtom.argtypes = [c_void_p, c_char_p, c_int]
class XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int),
                ("display", c_void_p), ("window", c_ulong), ("message_type", c_ulong),
                ("format", c_int), ("data", c_long * 5)]
class XEvent(ctypes.Union):
    _fields_ = [("xclient", XClientMessageEvent), ("pad", c_long * 24)]
x.XSendEvent.argtypes = [c_void_p, c_ulong, c_int, c_long, POINTER(XEvent)]
x.XSync.argtypes = [c_void_p, c_int]
x.XCloseDisplay.argtypes = [c_void_p]
display = x.XOpenDisplay(None)
assert display, "cannot open the display"
window = int(sys.argv[1])
event = XEvent()
event.xclient.type = 33  # ClientMessage
event.xclient.window = window
event.xclient.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.xclient.format = 32
event.xclient.data[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
assert x.XSendEvent(display, window, 0, 0, ctypes.byref(event)), "XSendEvent failed"
x.XSync(display, 0)
x.XCloseDisplay(display)
PY
close_window() { python3 close_window.py "$WINDOW_ID" || fail "could not send the close request"; }

# demo32: the close button does nothing, Escape still ends the show. Each
# request has reached the program when its quit event was handed over; frames
# drawn after that show that it went on.
start_app "$DEMO32" -window -nosound
focus_window --onlyvisible --name "zyrkon malvestra 2"
wait_frames 1 || fail "demo32 ended before the close request"
close_window
wait_frames 3 quit 1 || fail "demo32 ended on the close request: $(cat out.txt err.txt)"
close_window
wait_frames 3 quit 2 || fail "demo32 ended on the second close request"
key Escape
wait_app
[ "$APP_STATUS" -eq 0 ] || fail "demo32 exit status $APP_STATUS"
[ -f vintage.bmp ] || fail "demo32 wrote no screenshot after Escape"

# demo8: the close request ends the show.
start_app env SDL_AUDIODRIVER=dummy "$DEMO8" w
focus_window --onlyvisible --class demo8
wait_frames 1 || fail "demo8 ended before the close request"
close_window
wait_app
[ "$APP_STATUS" -eq 0 ] || fail "demo8 exit status $APP_STATUS"
printf 'Kurppana tykk\xe4\xe4 kebabista. Niin min\xe4kin.\n' >expected_last
tail -n 1 out.txt | cmp -s - expected_last || fail "demo8: the closing line is not the last line"
late=$(printf '^(T\xf6kkii varmaanki ihan liikaa\\. |Hmm t\xf6kkii kai v\xe4h\xe4, osta nopeempi kone\\? )[0-9]+$')
[ "$(head -n -1 out.txt | LC_ALL=C grep -a -v -c -E "$late")" -eq 0 ] || fail "demo8: unexpected lines"
echo "PASS"
