#!/usr/bin/python3
# A native Wayland window of one colour, standing in for a program the teacher runs: GTK 3 on the Wayland
# display, never through XWayland. Arguments: the colour as RRGGBB, then the width and the height.
import sys

import gi

gi.require_version("Gdk", "3.0")
gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, Gtk  # noqa: E402

if Gdk.Display.get_default() is None or "Wayland" not in type(Gdk.Display.get_default()).__name__:
    sys.exit("native_window: no Wayland display")
colour = sys.argv[1]
red, green, blue = (int(colour[i:i + 2], 16) / 255.0 for i in (0, 2, 4))
window = Gtk.Window(title="Native")
window.set_decorated(False)
window.set_default_size(int(sys.argv[2]), int(sys.argv[3]))
area = Gtk.DrawingArea()


def paint(_widget, cr):
    cr.set_source_rgb(red, green, blue)
    cr.paint()


area.connect("draw", paint)
window.add(area)
window.connect("destroy", Gtk.main_quit)
window.show_all()
Gtk.main()
