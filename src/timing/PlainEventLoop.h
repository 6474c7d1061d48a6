#pragma once

// Chooses Qt's own event loop over GLib's for the process's threads; call it
// before the application object is made. A program that needs no GLib
// integration gains: GLib's loop is woken through a system call every time a
// socket notifier is switched on or off, twice for every command sent or
// reply answered. A QT_NO_GLIB already set is left as it is.
void UsePlainEventLoop();
