#pragma once

class QMainWindow;

// Where and how large the window was when it last closed, kept in the
// user's settings and brought back fitted to the screen it opens on.
void RestoreWindowGeometry(QMainWindow& window);
void StoreWindowGeometry(const QMainWindow& window);
