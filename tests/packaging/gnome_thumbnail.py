"""Thumbnails as GNOME's file manager makes them: through gnome-desktop's
thumbnail factory, which finds the thumbnailer entry and runs it in its
sandbox. usage: gnome_thumbnail.py MODEL OUTPUT.png; exits 1 when the
factory makes no thumbnail."""
import sys

import gi

gi.require_version("GnomeDesktop", "3.0")
from gi.repository import Gio, GnomeDesktop  # noqa: E402

model = Gio.File.new_for_path(sys.argv[1])
factory = GnomeDesktop.DesktopThumbnailFactory.new(GnomeDesktop.DesktopThumbnailSize.LARGE)
picture = factory.generate_thumbnail(model.get_uri(), "model/x-tri")
if picture is None:
    sys.exit(1)
picture.savev(sys.argv[2], "png", [], [])
