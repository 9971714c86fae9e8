#pragma once
// How many screen pixels a logical (handheld) pixel takes.

// How many desktop pixels a handheld pixel takes on a desktop at 100%.
inline constexpr double kProgramScale = 2.0;

// Before the application object exists: Qt rounds a fractional desktop scale
// to a whole device pixel ratio, so the controls it draws stay crisp; the
// windows still get the desktop's exact scale (see UiScale).
void PrepareDesktopScale();

// VANTREL_SCALE when set above 0, else kProgramScale times the desktop's own
// scale. Tests set VANTREL_SCALE=1 to see logical pixels one to one.
double UiScale();

// Widget coordinates per logical pixel for the given window scale: Qt already
// multiplies widget coordinates by the screen's device pixel ratio.
double WidgetScale(double uiScale);
