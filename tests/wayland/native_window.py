#!/usr/bin/python3
# A native Wayland window of one colour, standing in for a program the teacher runs: GTK 3 on the Wayland
# display, never through XWayland. Arguments: the colour as RRGGBB, the width and the height, and optionally
# a second colour for a square in the middle, half the window's height.
import sys

import gi

gi.require_version("Gdk", "3.0")
gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, Gtk  # noqa: E402

if Gdk.Display.get_default() is None or "Wayland" not in type(Gdk.Display.get_default()).__name__:
    sys.exit("native_window: no Wayland display")


def rgb(text):
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


colour = rgb(sys.argv[1])
middle = rgb(sys.argv[4]) if len(sys.argv) > 4 and sys.argv[4] else None
window = Gtk.Window(title="Native")
window.set_decorated(False)
window.set_default_size(int(sys.argv[2]), int(sys.argv[3]))
area = Gtk.DrawingArea()


def paint(widget, cr):
    cr.set_source_rgb(*colour)
    cr.paint()
    if middle:
        width, height = widget.get_allocated_width(), widget.get_allocated_height()
        side = height // 2
        cr.set_source_rgb(*middle)
        cr.rectangle((width - side) // 2, (height - side) // 2, side, side)
        cr.fill()


area.connect("draw", paint)
window.add(area)
window.connect("destroy", Gtk.main_quit)
window.show_all()
Gtk.main()
