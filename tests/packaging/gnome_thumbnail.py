"""Thumbnails as GNOME's file manager makes them: through gnome-desktop's
thumbnail factory, which finds the thumbnailer entry and runs it in its
sandbox. usage: gnome_thumbnail.py MODEL OUTPUT.png; exits 1 when the
factory makes no thumbnail."""
import sys

import gi

gi.require_version("GnomeDesktop", "3.0")
from gi.repository import Gio, GLib, GnomeDesktop  # noqa: E402

model = Gio.File.new_for_path(sys.argv[1])
factory = GnomeDesktop.DesktopThumbnailFactory.new(GnomeDesktop.DesktopThumbnailSize.LARGE)
try:
    picture = factory.generate_thumbnail(model.get_uri(), "model/x-tri")
except GLib.Error as error:
    sys.exit(f"no thumbnail: {error.message}")
if picture is None:
    sys.exit("no thumbnail")
picture.savev(sys.argv[2], "png", [], [])
