#!/usr/bin/python3
# A GTK 3 window that draws its own title bar (a header bar), as GNOME-style applications do:
# under a compositing window manager GTK gives it an invisible shadow (_GTK_FRAME_EXTENTS).
import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gtk  # noqa: E402

window = Gtk.Window()
window.set_wmclass("panemark-csd-test", "Panemark-csd-test")
bar = Gtk.HeaderBar(title="Draws its own frame", show_close_button=True)
window.set_titlebar(bar)
window.set_default_size(500, 400)
window.move(150, 150)
window.connect("destroy", Gtk.main_quit)
window.show_all()
Gtk.main()
