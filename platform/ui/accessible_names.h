#pragma once
// Screen readers find no text in a painted label, so each control without a
// caption of its own is named after the label painted beside it (or above it).

#include "platform/recording_surface.h"

#include <vector>

class DialogWidget;
class QWidget;

void NameControlsFromLabels(DialogWidget& window, const std::vector<DrawnText>& labels);

// The painted label that names `control`; nullptr when none does, or the
// control has a caption of its own or a name the program gave it.
const DrawnText* LabelNaming(const DialogWidget& window, const QWidget& control, const std::vector<DrawnText>& labels);

// Marks a control as named by the program, which the labels then leave alone.
inline constexpr char kNamedByProgram[] = "vantrelNamedByProgram";
