"""Another program to drag files between, as a file manager would: a GTK window that offers
the files named on its command line as text/uri-list and prints every drop it takes
("drop ACTION URI..."). Used by test_desktop.py."""

import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Gdk", "3.0")
from gi.repository import Gdk, GLib, Gtk  # noqa: E402


def main():
    uris = [GLib.filename_to_uri(path, None) for path in sys.argv[1:]]
    window = Gtk.Window(title="Drag peer")
    window.set_default_size(240, 240)
    window.set_keep_above(True)
    window.connect("destroy", Gtk.main_quit)
    area = Gtk.EventBox()
    area.add(Gtk.Label(label="Drag peer"))
    window.add(area)

    targets = [Gtk.TargetEntry.new("text/uri-list", 0, 0)]
    if uris:
        area.drag_source_set(Gdk.ModifierType.BUTTON1_MASK, targets, Gdk.DragAction.COPY)
        area.connect("drag-data-get",
                     lambda _w, _c, data, _i, _t: data.set_uris(uris))
    area.drag_dest_set(Gtk.DestDefaults.ALL, targets,
                       Gdk.DragAction.COPY | Gdk.DragAction.MOVE)

    def received(_widget, context, _x, _y, data, _info, _time):
        action = context.get_selected_action()
        print("drop", "+".join(action.value_nicks), *data.get_uris(), flush=True)

    area.connect("drag-data-received", received)
    window.show_all()
    print("ready", flush=True)
    Gtk.main()


if __name__ == "__main__":
    main()
