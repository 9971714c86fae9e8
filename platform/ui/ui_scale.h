#pragma once
// How many screen pixels a logical (handheld) pixel takes.

class QWidget;

// VANTREL_SCALE when set above 0, else the desktop's own scale when above 1,
// else 2. Tests set VANTREL_SCALE=1 to see logical pixels one to one.
double UiScale();

// Widget coordinates per logical pixel for the given window scale: Qt already
// multiplies widget coordinates by the screen's device pixel ratio.
double WidgetScale(double uiScale);
