#pragma once
// For a paint handler that runs long (the first-run import): lets what it has
// drawn so far reach the screen while it runs.

class CDialog;

// Lets the window system's exposes and repaints through, then shows the
// dialog's client area as drawn so far. Input waits, and a paint handler that
// is running is never entered again (its window gets its repaint afterwards).
void ShowPaintProgress(CDialog& dialog);
