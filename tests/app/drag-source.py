#!/usr/bin/env python3
"""A real X11 drag source for the end-to-end drops: a small window whose one button
drags the files named on the command line as a URI list (XDND). The test presses the
button, moves past the drag threshold and releases over the program's window.

    drag-source.py [--text] FILE...

--text offers the names as plain text only, no file list. The window's title is
"quorvell drag source"; it sits at the top-left corner of the screen."""
import sys
from pathlib import Path

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, Gtk  # noqa: E402


def main() -> int:
    args = sys.argv[1:]
    as_text = bool(args) and args[0] == "--text"
    if as_text:
        args = args[1:]
    uris = [Path(name).resolve().as_uri() for name in args]

    window = Gtk.Window(title="quorvell drag source")
    window.set_default_size(120, 60)
    window.move(0, 0)
    button = Gtk.Button(label="drag")
    button.drag_source_set(Gdk.ModifierType.BUTTON1_MASK, [], Gdk.DragAction.COPY)
    if as_text:
        button.drag_source_add_text_targets()
    else:
        button.drag_source_add_uri_targets()

    def on_data_get(_widget, _context, data, _info, _time):
        if as_text:
            data.set_text("\n".join(args), -1)
        else:
            data.set_uris(uris)

    button.connect("drag-data-get", on_data_get)
    window.add(button)
    window.connect("destroy", Gtk.main_quit)
    window.show_all()
    Gtk.main()
    return 0


if __name__ == "__main__":
    sys.exit(main())
